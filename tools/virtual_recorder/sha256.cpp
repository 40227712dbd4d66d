#include "sha256.h"

#include <openssl/evp.h>

namespace vrec {

TSha256::TSha256() : FContext(EVP_MD_CTX_new())
{
    EVP_DigestInit_ex(FContext, EVP_sha256(), nullptr);
}

TSha256::~TSha256()
{
    EVP_MD_CTX_free(FContext);
}

void TSha256::Add(const uint8_t* Data, size_t Length)
{
    EVP_DigestUpdate(FContext, Data, Length);
}

std::string TSha256::HexDigest() const
{
    // The digest is finished on a copy, so that more data can follow.
    EVP_MD_CTX* last = EVP_MD_CTX_new();
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_MD_CTX_copy_ex(last, FContext);
    EVP_DigestFinal_ex(last, digest, &length);
    EVP_MD_CTX_free(last);
    static const char hex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        text += hex[digest[i] >> 4];
        text += hex[digest[i] & 0x0F];
    }
    return text;
}

}  // namespace vrec
