// Sends single commands straight to the virtual recorder's entry points.
#pragma once

#include "aspi.h"

#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <string>
#include <vector>

extern "C" uint32_t GetASPI32SupportInfo(void);
extern "C" uint32_t SendASPI32Command(void* Srb);

struct TReply {
    uint8_t Status = 0;
    uint8_t TargetStatus = 0;
    uint8_t HostStatus = 0;
    uint8_t Key = 0, ASC = 0, ASCQ = 0;
    std::vector<uint8_t> Data;
    bool Good() const { return Status == SS_COMP; }
    bool Sense(uint8_t K, uint8_t A, uint8_t Q) const { return Status == SS_ERR && Key == K && ASC == A && ASCQ == Q; }
};

// Powers the bus up with the drives described (VREC_DRIVES syntax).
inline uint32_t PowerUp(const std::string& Drives)
{
    setenv("VREC_DRIVES", Drives.c_str(), 1);
    return GetASPI32SupportInfo();
}

// Runs one command on target Target. With Out, the bytes are sent; otherwise InLength bytes are read.
inline TReply Send(std::initializer_list<uint8_t> Cdb, uint32_t InLength = 0, std::vector<uint8_t> Out = {},
                   uint8_t Target = 0)
{
    TReply reply;
    reply.Data = Out.empty() ? std::vector<uint8_t>(InLength, 0) : Out;
    SRB_ExecSCSICmd srb{};
    srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    srb.SRB_Target = Target;
    srb.SRB_Flags = Out.empty() ? (InLength ? SRB_DIR_IN : 0) : SRB_DIR_OUT;
    srb.SRB_BufLen = uint32_t(reply.Data.size());
    srb.SRB_BufPointer = reply.Data.empty() ? nullptr : reply.Data.data();
    srb.SRB_SenseLen = SENSE_LEN;
    srb.SRB_CDBLen = uint8_t(Cdb.size());
    int i = 0;
    for (uint8_t byte : Cdb)
        srb.CDBByte[i++] = byte;
    SendASPI32Command(&srb);
    reply.Status = srb.SRB_Status;
    reply.TargetStatus = srb.SRB_TargStat;
    reply.HostStatus = srb.SRB_HaStat;
    reply.Key = srb.SenseArea[2] & 0x0F;
    reply.ASC = srb.SenseArea[12];
    reply.ASCQ = srb.SenseArea[13];
    return reply;
}

inline uint16_t BE16(const std::vector<uint8_t>& Data, size_t At)
{
    return uint16_t(Data[At] << 8 | Data[At + 1]);
}

inline uint32_t BE32(const std::vector<uint8_t>& Data, size_t At)
{
    return uint32_t(Data[At]) << 24 | uint32_t(Data[At + 1]) << 16 | uint32_t(Data[At + 2]) << 8 | Data[At + 3];
}

// Common command blocks.
inline TReply TestUnitReady(uint8_t Target = 0) { return Send({0x00, 0, 0, 0, 0, 0}, 0, {}, Target); }
inline TReply CurrentProfile() { return Send({0x46, 2, 0, 0, 0, 0, 0, 0, 8, 0}, 8); }
inline TReply TrackInfo(uint8_t Track) { return Send({0x52, 1, 0, 0, 0, Track, 0, 0, 36, 0}, 36); }
inline TReply DiscInfo() { return Send({0x51, 0, 0, 0, 0, 0, 0, 0, 34, 0}, 34); }
inline TReply Write10(uint32_t Lba, uint16_t Blocks, uint8_t Fill = 0x5A)
{
    return Send({0x2A, 0, uint8_t(Lba >> 24), uint8_t(Lba >> 16), uint8_t(Lba >> 8), uint8_t(Lba), 0,
                 uint8_t(Blocks >> 8), uint8_t(Blocks), 0},
                0, std::vector<uint8_t>(Blocks * 2048u, Fill));
}
inline TReply Read10(uint32_t Lba, uint16_t Blocks, bool ForceUnitAccess = false)
{
    const uint8_t fua = ForceUnitAccess ? 0x08 : 0;
    return Send({0x28, fua, uint8_t(Lba >> 24), uint8_t(Lba >> 16), uint8_t(Lba >> 8), uint8_t(Lba), 0,
                 uint8_t(Blocks >> 8), uint8_t(Blocks), 0},
                Blocks * 2048u);
}
// MODE SELECT (10) of the write parameters page with the given bytes 2, 3 and 4.
inline TReply SelectWriteParameters(uint8_t Byte2, uint8_t Byte3, uint8_t Byte4 = 0x08)
{
    std::vector<uint8_t> list(60, 0);
    list[8] = 0x05;
    list[9] = 0x32;
    list[10] = Byte2;
    list[11] = Byte3;
    list[12] = Byte4;
    return Send({0x55, 0x10, 0, 0, 0, 0, 0, 0, 60, 0}, 0, list);
}
inline TReply CloseSession() { return Send({0x5B, 0, 2, 0, 0, 0, 0, 0, 0, 0}); }
