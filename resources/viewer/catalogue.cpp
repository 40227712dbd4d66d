#include "catalogue.h"

#include "byte_reader.h"

TCatalogue ReadCatalogue(const std::string& bytes) {
    TCatalogue catalogue;
    catalogue.State = TCatalogueState::csDamaged;
    TByteReader reader(bytes);
    int32_t count = 0;
    if (!reader.ReadInt(count) || count < 0) return catalogue;
    for (int32_t i = 0; i < count; ++i) {
        int64_t length = 0;
        std::string record;
        if (!reader.ReadInt(length) || !reader.ReadBytes(length, record)) return catalogue;
        auto album = std::make_unique<TAlbum>();
        TByteReader recordReader(record);
        album->ReadFromStream(recordReader);
        const bool whole = recordReader.Ok();
        catalogue.Albums.push_back(std::move(album));
        if (!whole) return catalogue;
    }
    catalogue.State = TCatalogueState::csComplete;
    return catalogue;
}
