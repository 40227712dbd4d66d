// libFuzzer entry: any bytes given to the album reader must neither crash nor over-allocate,
// and whatever is read must write back and read again to the same record.
#include "album_records.h"
#include "byte_reader.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TByteReader reader(reinterpret_cast<const char*>(data), size);
    TAlbum album;
    album.ReadFromStream(reader);

    const std::string written = album.ToBytes();
    TByteReader again(written);
    TAlbum copy;
    copy.ReadFromStream(again);
    if (copy.ToBytes() != written) std::abort();
    return 0;
}
