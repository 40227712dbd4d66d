// SHA-256 (FIPS 180-4), so that a virtual drive can keep a digest of what it recorded
// instead of the data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace vrec {

class TSha256 {
public:
    TSha256();
    void Add(const uint8_t* Data, size_t Length);
    // The digest of everything added so far, in lower-case hex; more can be added after.
    std::string HexDigest() const;

private:
    void Compress(const uint8_t* Block);

    std::array<uint32_t, 8> FState;
    std::array<uint8_t, 64> FPending{};
    size_t FPendingLength = 0;
    uint64_t FTotalBytes = 0;
};

}  // namespace vrec
