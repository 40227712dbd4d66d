// Bounds-checked reading of little-endian values from a byte buffer. Once a read runs past
// the end the reader stays failed, so damaged input can never make us allocate or read
// beyond the bytes that are really there.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>

class TByteReader {
public:
    TByteReader(const char* data, size_t size) : FPos(data), FEnd(data + size) {}
    explicit TByteReader(const std::string& bytes) : TByteReader(bytes.data(), bytes.size()) {}

    bool Ok() const { return FOk; }
    size_t Remaining() const { return static_cast<size_t>(FEnd - FPos); }

    bool Read(void* dest, size_t count) {
        if (!FOk || count > Remaining()) return FOk = false;
        std::memcpy(dest, FPos, count);
        FPos += count;
        return true;
    }
    template <typename T> bool ReadInt(T& value) {
        unsigned char bytes[sizeof(T)];
        if (!Read(bytes, sizeof(T))) return false;
        uint64_t v = 0;
        for (size_t i = sizeof(T); i-- > 0;) v = (v << 8) | bytes[i];
        value = static_cast<T>(v);
        return true;
    }
    // A string of `length` bytes; a negative length or one beyond the end fails the reader.
    bool ReadBytes(int64_t length, std::string& value) {
        if (!FOk || length < 0 || static_cast<uint64_t>(length) > Remaining()) return FOk = false;
        value.assign(FPos, static_cast<size_t>(length));
        FPos += length;
        return true;
    }
    // An int32 byte count followed by that many bytes.
    bool ReadCountedString(std::string& value) {
        int32_t length = 0;
        return ReadInt(length) && ReadBytes(length, value);
    }

private:
    const char* FPos;
    const char* FEnd;
    bool FOk = true;
};
