// Big-endian fields of SCSI command blocks and parameter data.
#pragma once

#include <cstdint>

inline void PutBE16(uint8_t* At, uint16_t Value)
{
    At[0] = uint8_t(Value >> 8);
    At[1] = uint8_t(Value);
}

inline void PutBE32(uint8_t* At, uint32_t Value)
{
    At[0] = uint8_t(Value >> 24);
    At[1] = uint8_t(Value >> 16);
    At[2] = uint8_t(Value >> 8);
    At[3] = uint8_t(Value);
}

inline uint16_t GetBE16(const uint8_t* At)
{
    return uint16_t(At[0] << 8 | At[1]);
}

inline uint32_t GetBE32(const uint8_t* At)
{
    return uint32_t(At[0]) << 24 | uint32_t(At[1]) << 16 | uint32_t(At[2]) << 8 | At[3];
}
