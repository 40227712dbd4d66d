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
        if (!reader.ReadInt(length) || length < 0) return catalogue;
        // A record cut off by the end of the file still shows what it holds.
        const bool cutOff = static_cast<uint64_t>(length) > reader.Remaining();
        std::string record;
        reader.ReadBytes(cutOff ? static_cast<int64_t>(reader.Remaining()) : length, record);
        auto album = std::make_unique<TAlbum>();
        TByteReader recordReader(record);
        album->ReadFromStream(recordReader);
        const bool whole = recordReader.Ok() && !cutOff;
        catalogue.Albums.push_back(std::move(album));
        if (!whole) return catalogue;
    }
    catalogue.State = TCatalogueState::csComplete;
    return catalogue;
}
