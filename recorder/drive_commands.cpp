// TSCSIDevice: the single MMC commands. Each one is one request through ExecuteSRB and
// succeeds when the request completes.
#include "big_endian.h"
#include "scsi_device.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr uint8_t NoData = SRB_EVENT_NOTIFY;
constexpr uint8_t DataIn = SRB_EVENT_NOTIFY | SRB_DIR_IN;
constexpr uint8_t DataOut = SRB_EVENT_NOTIFY | SRB_DIR_OUT;

SRB_ExecSCSICmd Request(uint8_t Flags, uint8_t OpCode, uint8_t CDBLen, const void* Buffer = nullptr,
                        uint32_t Length = 0)
{
    SRB_ExecSCSICmd srb{};
    srb.SRB_Flags = Flags;
    srb.SRB_CDBLen = CDBLen;
    srb.CDBByte[0] = OpCode;
    // Outgoing data is only read by the transport.
    srb.SRB_BufPointer = static_cast<uint8_t*>(const_cast<void*>(Buffer));
    srb.SRB_BufLen = Length;
    return srb;
}

uint16_t SpeedKBs(uint16_t X)
{
    return X == 0 ? 0xFFFF : uint16_t(std::min<uint32_t>(X * 177u, 0xFFFF));
}

}  // namespace

bool TSCSIDevice::Run(SRB_ExecSCSICmd& Srb, int TimeoutMs)
{
    ExecuteSRB(Srb, TimeoutMs);
    return Srb.SRB_Status == SS_COMP;
}

bool TSCSIDevice::TestUnitReady(int TimeoutMs)
{
    auto srb = Request(NoData, 0x00, 6);
    return Run(srb, TimeoutMs);
}

bool TSCSIDevice::RezeroUnit()
{
    auto srb = Request(NoData, 0x01, 6);
    return Run(srb, 10000);
}

bool TSCSIDevice::RequestSense(uint8_t* Buffer, uint8_t Length)
{
    auto srb = Request(DataIn, 0x03, 6, Buffer, Length);
    srb.CDBByte[4] = Length;
    return Run(srb, 10000);
}

bool TSCSIDevice::Inquiry()
{
    auto srb = Request(DataIn, 0x12, 6, FInquiryData.data(), FInquiryData.size());
    srb.CDBByte[4] = uint8_t(FInquiryData.size());
    return Run(srb, 10000);
}

bool TSCSIDevice::LoadEject(bool Eject)
{
    auto srb = Request(NoData, 0x1B, 6);
    srb.CDBByte[4] = Eject ? 0x02 : 0x03;
    return Run(srb, 20000);
}

bool TSCSIDevice::AllowMediumRemoval(bool Allow)
{
    auto srb = Request(NoData, 0x1E, 6);
    srb.CDBByte[4] = Allow ? 0x00 : 0x01;
    return Run(srb, 10000);
}

bool TSCSIDevice::Write10(uint32_t LBA, uint16_t Blocks, const uint8_t* Buffer, uint32_t Bytes)
{
    auto srb = Request(DataOut, 0x2A, 10, Buffer, Bytes);
    PutBE32(&srb.CDBByte[2], LBA);
    PutBE16(&srb.CDBByte[7], Blocks);
    return Run(srb, 120000);
}

bool TSCSIDevice::Read10(uint32_t LBA, uint16_t Blocks, uint8_t* Buffer, uint32_t Bytes, bool ForceUnitAccess)
{
    auto srb = Request(DataIn, 0x28, 10, Buffer, Bytes);
    srb.CDBByte[1] = ForceUnitAccess ? 0x08 : 0x00;
    PutBE32(&srb.CDBByte[2], LBA);
    PutBE16(&srb.CDBByte[7], Blocks);
    return Run(srb, 120000);
}

bool TSCSIDevice::SynchronizeCache(int TimeoutMs, bool Immediate)
{
    auto srb = Request(NoData, 0x35, 10);
    srb.CDBByte[1] = Immediate ? 0x02 : 0x00;
    return Run(srb, TimeoutMs);
}

bool TSCSIDevice::ReadTOC(uint8_t Format, bool MSF, uint8_t Number, uint8_t* Buffer, uint8_t Length)
{
    auto srb = Request(DataIn, 0x43, 10, Buffer, Length);
    srb.CDBByte[1] = MSF ? 0x02 : 0x00;
    srb.CDBByte[2] = Format;
    srb.CDBByte[6] = Number;
    srb.CDBByte[8] = Length;
    return Run(srb, 10000);
}

bool TSCSIDevice::GetConfiguration(uint8_t RT, uint8_t* Buffer, uint8_t Length, uint16_t StartingFeature)
{
    auto srb = Request(DataIn, 0x46, 10, Buffer, Length);
    srb.CDBByte[1] = RT;
    PutBE16(&srb.CDBByte[2], StartingFeature);
    srb.CDBByte[8] = Length;
    return Run(srb, 10000);
}

bool TSCSIDevice::ReadDiscInfo()
{
    auto srb = Request(DataIn, 0x51, 10, FDiscInfo.data(), FDiscInfo.size());
    srb.CDBByte[8] = uint8_t(FDiscInfo.size());
    if (!Run(srb, 10000))
        return false;
    uint16_t length = GetBE16(FDiscInfo.data());
    std::memcpy(FDiscInfo.data(), &length, 2);
    return true;
}

bool TSCSIDevice::ReadTrackInfo(uint8_t Track)
{
    std::array<uint8_t, 38> answer{};
    auto srb = Request(DataIn, 0x52, 10, answer.data(), answer.size());
    srb.CDBByte[1] = 0x01;  // the address is a track number
    PutBE32(&srb.CDBByte[2], Track);
    srb.CDBByte[8] = uint8_t(answer.size());
    if (!Run(srb, 60000))
        return false;
    FTrackInfo.Bytes = answer;
    FTrackInfo.DataLength = GetBE16(&answer[0]);
    FTrackInfo.TrackStartAddress = GetBE32(&answer[8]);
    FTrackInfo.NextWritableAddress = GetBE32(&answer[12]);
    FTrackInfo.FreeBlocks = GetBE32(&answer[16]);
    FTrackInfo.FixedPacketSize = GetBE32(&answer[20]);
    FTrackInfo.TrackSize = GetBE32(&answer[24]);
    FTrackInfo.LastRecordedAddress = GetBE32(&answer[28]);
    return true;
}

bool TSCSIDevice::ReserveTrack(uint32_t Blocks)
{
    uint8_t unused[8] = {};
    auto srb = Request(DataIn, 0x53, 10, unused, sizeof unused);
    PutBE32(&srb.CDBByte[5], Blocks);
    return Run(srb, 10000);
}

bool TSCSIDevice::SendOPC()
{
    auto srb = Request(NoData, 0x54, 10);
    srb.CDBByte[1] = 0x01;  // DoOPC
    return Run(srb, 150000);
}

bool TSCSIDevice::ModeSelect10(const uint8_t* List, uint8_t Length)
{
    auto srb = Request(DataOut, 0x55, 10, List, Length);
    srb.CDBByte[1] = 0x10;  // PF
    srb.CDBByte[8] = Length;
    return Run(srb, 10000);
}

bool TSCSIDevice::ModeSense10(uint8_t Page, bool Defaults, uint8_t* Buffer, uint16_t Length)
{
    std::fill_n(Buffer, Length, 0);
    std::vector<uint8_t> answer(Length);
    auto srb = Request(DataIn, 0x5A, 10, answer.data(), Length);
    srb.CDBByte[2] = uint8_t(Page | (Defaults ? 0x80 : 0x00));
    PutBE16(&srb.CDBByte[7], Length);
    if (!Run(srb, 20000))
        return false;
    std::copy(answer.begin(), answer.end(), Buffer);
    return true;
}

bool TSCSIDevice::CloseTrackSession(bool Track, bool Immediate)
{
    return CloseFunction(Track ? 0x01 : 0x02, Immediate);
}

bool TSCSIDevice::CloseFunction(uint8_t Function, bool Immediate)
{
    auto srb = Request(NoData, 0x5B, 10);
    srb.CDBByte[1] = Immediate ? 0x01 : 0x00;
    srb.CDBByte[2] = Function;
    return Run(srb, 180000);
}

bool TSCSIDevice::ReadFormatCapacities(uint8_t* Buffer, uint8_t Length)
{
    std::fill_n(Buffer, Length, 0);
    auto srb = Request(DataIn, 0x23, 10, Buffer, Length);
    PutBE16(&srb.CDBByte[7], Length);
    return Run(srb, 10000);
}

bool TSCSIDevice::FormatUnit(const uint8_t* List, uint8_t Length)
{
    auto srb = Request(DataOut, 0x04, 6, List, Length);
    srb.CDBByte[1] = 0x11;  // FmtData, format code 001b
    return Run(srb, 10000);
}

bool TSCSIDevice::ReadBufferCapacity()
{
    uint8_t answer[32] = {};
    auto srb = Request(DataIn, 0x5C, 10, answer, sizeof answer);
    srb.CDBByte[8] = sizeof answer;
    if (!Run(srb, 10000))
        return false;
    DeviceBufferSize = GetBE32(&answer[4]);
    DeviceFreeBufferSize = GetBE32(&answer[8]);
    return true;
}

bool TSCSIDevice::SetStreaming(const uint8_t* Descriptor, uint16_t Length)
{
    auto srb = Request(DataOut, 0xB6, 12, Descriptor, Length);
    PutBE16(&srb.CDBByte[9], Length);
    return Run(srb, 10000);
}

bool TSCSIDevice::SetCDSpeed(uint16_t ReadX, uint16_t WriteX)
{
    auto srb = Request(NoData, 0xBB, 12);
    PutBE16(&srb.CDBByte[2], SpeedKBs(ReadX));
    PutBE16(&srb.CDBByte[4], SpeedKBs(WriteX));
    return Run(srb, 10000);
}

bool TSCSIDevice::SendDVDStructure(uint8_t Format, const uint8_t* Data, uint16_t Length)
{
    auto srb = Request(DataOut, 0xBF, 12, Data, Length);
    srb.CDBByte[7] = Format;
    PutBE16(&srb.CDBByte[8], Length);
    return Run(srb, 10000);
}
