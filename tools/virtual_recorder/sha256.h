// SHA-256 of a stream, so that a virtual drive can keep a digest of what it recorded
// instead of the data.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

struct evp_md_ctx_st;

namespace vrec {

class TSha256 {
public:
    TSha256();
    ~TSha256();
    TSha256(const TSha256&) = delete;
    TSha256& operator=(const TSha256&) = delete;

    void Add(const uint8_t* Data, size_t Length);
    // The digest of everything added so far, in lower-case hex; more can be added after.
    std::string HexDigest() const;

private:
    evp_md_ctx_st* FContext;
};

}  // namespace vrec
