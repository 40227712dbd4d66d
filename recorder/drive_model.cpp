// TSCSIDevice: the picture of the selected drive and its disc, built from several commands.
#include "big_endian.h"
#include "scsi_device.h"
#include "scsi_texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Speeds in KB/s become multiples of single CD speed, rounded half to even.
constexpr double SingleSpeedKBs = 176.46;

uint16_t SpeedX(uint16_t KBs)
{
    return uint16_t(std::nearbyint(KBs / SingleSpeedKBs));
}

// Where a mode page starts in a MODE SENSE (10) answer: drives differ in what precedes it.
struct TPagePlace {
    int Offset;
    bool Found;
};

TPagePlace LocatePage(const uint8_t* Answer, uint8_t Page)
{
    for (int offset : {16, 8, 7})
        if (Answer[offset] == Page)
            return {offset, true};
    return {8, false};
}

uint16_t DiscTypeOfProfile(uint16_t Profile)
{
    switch (Profile) {
    case 0x0008: return dtCDROM;
    case 0x0009: return dtCDR;
    case 0x000A: return dtCDRW;
    case 0x0010: return dtDVDROM;
    case 0x0011: return dtDVDR;
    case 0x0012: return dtDVDRAM;
    case 0x0013: return dtDVDRW;
    case 0x0014: return dtDVDRW;  // sequential DVD-RW is reported like restricted overwrite
    case 0x001A: return dtDVDPlusRW;
    case 0x0020: return dtDDCDROM;
    case 0x0021: return dtDDCDR;
    case 0x0022: return dtDDCDRW;
    case 0x001B: return dtDVDPlusR;
    case 0x002B: return dtDVDPlusRDL;
    case 0x0040: return dtBDROM;
    case 0x0041: return dtBDR;  // sequential recording
    case 0x0042: return dtBDR;  // random recording
    case 0x0043: return dtBDRE;
    default: return dtUnknown;
    }
}

bool IsDVDRFamily(uint16_t DiscType)
{
    return DiscType == dtDVDR || DiscType == dtDVDRW || DiscType == dtDVDRWSeq;
}

}  // namespace

const char* DiscTypeName(uint16_t DiscType)
{
    static const char* const names[] = {"UNKNOWN", "CD-ROM",  "CD-R",   "CD-RW",    "DVD-ROM", "DVD-R",  "DVD-RAM",
                                        "DVD-RW",  "DVD-RW",  "DVD+RW", "DDCD-ROM", "DDCD-R",  "DDCD-RW",
                                        "DVD+R",   "DVD+R DL", "BD-ROM", "BD-R",    "BD-RE"};
    return DiscType < std::size(names) ? names[DiscType] : names[0];
}

std::array<uint8_t, 28> DVDRPerformanceDescriptor()
{
    std::array<uint8_t, 28> descriptor{};
    PutBE32(&descriptor[4], 0);           // start LBA
    PutBE32(&descriptor[8], 0x0023127F);  // end LBA
    PutBE32(&descriptor[12], 0x0000ABBD); // read size
    PutBE32(&descriptor[16], 1000);       // read time, ms
    PutBE32(&descriptor[20], 0x0000058A); // write size
    PutBE32(&descriptor[24], 1000);       // write time, ms
    return descriptor;
}

bool TSCSIDevice::ReadDeviceInfo()
{
    ReadCapabilities();
    if (!Inquiry()) {
        FDeviceDescription = FLastError;
        return false;
    }
    FPeripheralType = FInquiryData[0];
    for (int i = 8; i < 56; ++i)
        if (FInquiryData[i] < 0x20)
            FInquiryData[i] = ' ';
    auto text = [&](int from, int length) { return std::string(reinterpret_cast<const char*>(&FInquiryData[from]), length); };
    FDeviceDescription = text(8, 8) + " " + text(16, 16) + " " + text(32, 4);
    return true;
}

void TSCSIDevice::SetModelFlags()
{
    const std::string product(reinterpret_cast<const char*>(&FInquiryData[16]), 16);
    const std::string name = TrimBlanks(product);
    FLinkSizeQuirk = name == "CRX175E" || name == "CD-RW  CRX800E";
    CloseImmediate = name != "CDRW321040X";
    FSlowFinalizeQuirk = product == "DVD-RW  DVR-103 " || product == "DVD-RW  DVR-104 ";
    if (FSlowFinalizeQuirk)
        FCapabilities |= cpUnderrunProtection;
}

bool TSCSIDevice::ReadCapabilities()
{
    FCapabilities = 0;
    FDeviceMaxWriteSpeed = 0;
    FDeviceMaxReadSpeed = 0;
    FCapabilityPage = TCapabilityPage{};
    uint8_t answer[128];
    int offset = 15;

    if (ModeSense10(0x2A, true, answer, sizeof answer)) {
        offset = LocatePage(answer, 0x2A).Offset;
        const uint8_t* page = answer + offset;
        std::copy_n(page, FCapabilityPage.Bytes.size(), FCapabilityPage.Bytes.begin());
        const uint8_t read = page[2], write = page[3];
        for (int bit = 0; bit < 6; ++bit)
            if (read & (1 << bit))
                FCapabilities |= uint16_t(1 << bit);
        if (write & 0x01) FCapabilities |= cpCDRWrite;
        if (write & 0x02) FCapabilities |= cpCDRWWrite;
        if (write & 0x04) FCapabilities |= cpTestWrite;
        if (write & 0x10) FCapabilities |= cpDVDRWrite;
        if (write & 0x20) FCapabilities |= cpDVDRAMWrite;
        if (page[4] & 0x80) FCapabilities |= cpUnderrunProtection;
        uint8_t page30[128];
        if (ModeSense10(0x30, false, page30, sizeof page30) && LocatePage(page30, 0x30).Found)
            FCapabilities |= cpUnderrunProtection;
        if (FSlowFinalizeQuirk)
            FCapabilities |= cpUnderrunProtection;
        if (uint16_t maxWrite = GetBE16(page + 18))
            FDeviceMaxWriteSpeed = SpeedX(maxWrite);
        else if (FCapabilities & cpDVDRAMWrite)
            FDeviceMaxWriteSpeed = 1;
        FDeviceMaxReadSpeed = SpeedX(GetBE16(page + 8));
        DeviceBufferSize = GetBE16(page + 12);
    }

    if (!ModeSense10(0x2A, false, answer, sizeof answer))
        return false;
    TPagePlace place = LocatePage(answer, 0x2A);
    if (place.Found)
        offset = place.Offset;
    const uint8_t* page = answer + offset;
    TCapabilityPage& current = FCapabilityPage;
    std::copy_n(page, current.Bytes.size(), current.Bytes.begin());
    if (page[3] & 0x20) {  // DVD-RAM writers report single speed
        current.CurrentWriteSpeed = current.MaxWriteSpeed = 177;
    } else {
        current.CurrentWriteSpeed = GetBE16(page + 20);
        current.MaxWriteSpeed = GetBE16(page + 18);
    }
    current.CurrentReadSpeed = GetBE16(page + 14);
    current.MaxReadSpeed = GetBE16(page + 8);
    current.BufferSize = GetBE16(page + 12);
    FDeviceMaxWriteSpeed = std::max(FDeviceMaxWriteSpeed, SpeedX(current.MaxWriteSpeed));
    FDeviceMaxReadSpeed = std::max(FDeviceMaxReadSpeed, SpeedX(current.MaxReadSpeed));
    return true;
}

uint16_t TSCSIDevice::CurrentWriteSpeed()
{
    return ReadCapabilities() ? SpeedX(FCapabilityPage.CurrentWriteSpeed) : 0;
}

void TSCSIDevice::SetWriteSpeed(uint16_t X)
{
    SetCDSpeed(ReadSpeed, X);
    FWriteSpeed = X;
}

uint16_t TSCSIDevice::GetDiscType()
{
    uint16_t code = dtUnknown;
    uint8_t configuration[114];
    if (GetConfiguration(2, configuration, sizeof configuration))
        code = DiscTypeOfProfile(GetBE16(&configuration[6]));
    if (code == dtUnknown) {
        // Older drives: the ATIP tells recordable CD from rewritable; without one it is pressed.
        uint8_t atip[26] = {};
        if (ReadTOC(4, true, 0, atip, sizeof atip)) {
            const uint8_t flags = atip[6];
            code = (flags & 0x80) ? ((flags & 0x40) ? dtCDRW : dtCDR) : dtCDROM;
        }
    }
    if (ReadDiscInfo() && code == dtUnknown)
        code = (FDiscInfo[2] & 0x10) ? dtCDRW : dtCDR;
    if (code == dtUnknown && TestUnitReady(5000))
        code = dtCDROM;
    return code;
}

uint8_t TSCSIDevice::LastSessionNumber()
{
    uint8_t sessions[4] = {};
    return ReadTOC(1, false, 0, sessions, sizeof sessions) ? sessions[3] : 0;
}

uint32_t TSCSIDevice::FreeBlocks()
{
    const bool keptFinalize = FinalizeDisc;
    FinalizeDisc = true;
    SetWriteParameters(false, UnderrunProtection, CurrentDiscType);
    FinalizeDisc = keptFinalize;

    // CDs, DVD+R and BD-R are appended to in their invisible track; other discs have one track.
    const uint16_t discType = GetDiscType();
    if (discType == dtBDRE && NeedsFormat())
        return FormattedBlocks();
    const uint8_t track = discType < dtDVDROM || IsTrackRecordedDisc(discType) ? 0xFF : 1;
    if (ReadTrackInfo(track))
        return FTrackInfo.FreeBlocks;
    if (ReadTrackInfo(uint8_t(LastSessionNumber() + 1)))
        return FTrackInfo.FreeBlocks;
    return 0;
}

bool TSCSIDevice::NextWritableAddress()
{
    WaitReady(10000, 500);
    const bool keptFinalize = FinalizeDisc;
    FinalizeDisc = true;
    SetWriteParameters(TestWrite, UnderrunProtection, CurrentDiscType);
    FinalizeDisc = keptFinalize;
    WaitReady(10000, 500);
    if (!ReadTrackInfo(0xFF)) {
        StartSector = 0;
        return false;
    }
    StartSector = FTrackInfo.NextWritableAddress;
    return true;
}

bool TSCSIDevice::SetWriteParameters(bool ATestWrite, bool AUnderrunProtection, uint16_t DiscType)
{
    if (HasNoWriteParameters(DiscType))
        return true;
    uint8_t answer[512];
    if (!ModeSense10(0x05, false, answer, sizeof answer))
        return false;
    const int offset = LocatePage(answer, 0x05).Offset;
    std::copy_n(answer + offset, FWriteParametersPage.size(), FWriteParametersPage.begin());

    uint8_t* page = FWriteParametersPage.data();
    page[1] = 0x32;
    page[2] = 0x01;  // Track At Once
    page[3] = 0x04;  // track mode 4
    page[4] = 0x08;  // Mode 1, 2048 bytes
    if (FLinkSizeQuirk)
        page[2] |= 0x20;  // LS_V
    if (!ATestWrite && !FinalizeDisc)
        page[3] |= 0xC0;  // next session allowed
    if ((FCapabilities & cpUnderrunProtection) && AUnderrunProtection)
        page[2] |= 0x40;  // BUFE
    if (IsDVDRFamily(DiscType)) {
        page[3] = 0x05;
        page[2] = AUnderrunProtection ? 0x42 : 0x02;  // Session At Once
        page[4] = 0x08;
    } else if (FSlowFinalizeQuirk) {
        page[2] = 0x41;
        page[3] = uint8_t((page[3] & 0x3F) | (FinalizeDisc ? 0x00 : 0xC0));
    }
    if ((FCapabilities & cpTestWrite) && ATestWrite)
        page[2] |= 0x10;
    else
        page[2] &= uint8_t(~0x10);
    std::fill(page + 5, page + 14, 0);  // link size, host application code, session format, packet size

    // An 8-byte mode parameter header of zeros, then the 52-byte page.
    uint8_t list[60] = {};
    const int pageBytes = std::clamp(61 - offset, 0, 52);
    std::copy_n(page, pageBytes, list + 8);
    return ModeSelect10(list, uint8_t(page[1] + 10));
}

bool TSCSIDevice::WaitReady(int TotalMs, int IntervalMs)
{
    int budget = TotalMs;
    auto budgetLeft = [&] {
        budget -= IntervalMs;
        return budget >= 0 && !DriveWaitsCancelled();
    };
    auto busy = [&] { return FSenseData[12] == 0x04; };  // LOGICAL UNIT NOT READY
    uint8_t sense[40] = {};

    if (FSlowFinalizeQuirk)
        do {
            if (!DrivePause(IntervalMs) || !budgetLeft())
                return false;
            TestUnitReady(5000);
        } while (busy());

    if (CurrentDiscType == dtDVDRAM)
        sense[12] = 0x04;
    else
        do {
            if (!DrivePause(IntervalMs))
                return false;
            ReadDiscInfo();
            if (!budgetLeft())
                return false;
        } while (busy());

    if (TestUnitReady(5000) && sense[12] == 0)
        return true;

    do {
        if (!DrivePause(IntervalMs) || !budgetLeft())
            return false;
        TestUnitReady(5000);
    } while (busy());

    do {
        std::fill(std::begin(sense), std::end(sense), 0);
        RequestSense(sense, sizeof sense);
        if (!budgetLeft())
            return false;
        if (sense[0] == 0xF0)
            sense[12] = 0x04;
        if (sense[12] == 0x04 && !DrivePause(IntervalMs))
            return false;
    } while (sense[12] != 0);
    return true;
}

bool TSCSIDevice::SendTimeStamp(const std::tm& DateTime)
{
    uint8_t data[22] = {};
    PutBE16(data, 20);
    char digits[32];  // "yyyymmddhhnnss"
    std::snprintf(digits, sizeof digits, "%04u%02u%02u%02u%02u%02u", unsigned(DateTime.tm_year + 1900) % 10000,
                  unsigned(DateTime.tm_mon + 1) % 100, unsigned(DateTime.tm_mday) % 100,
                  unsigned(DateTime.tm_hour) % 100, unsigned(DateTime.tm_min) % 100, unsigned(DateTime.tm_sec) % 100);
    std::memcpy(data + 8, digits, 14);
    return SendDVDStructure(0x0F, data, sizeof data);
}

bool TSCSIDevice::CanTestWrite(uint16_t DiscType)
{
    // MMC knows test writes only for CD-R/RW and the DVD-R family; each has a write feature
    // that says whether the drive can make them. Other discs are recorded for real whatever
    // the write parameters say.
    uint16_t writeFeature;
    switch (DiscType) {
    case dtUnknown: case dtCDR: case dtCDRW:  // written as CD: Track At Once
        writeFeature = 0x002D;
        break;
    case dtDVDR: case dtDVDRW: case dtDVDRWSeq:
        writeFeature = 0x002F;
        break;
    default:
        return false;
    }
    // The feature descriptor, when current, follows the 8-byte header; its first data byte
    // (byte 4 of the descriptor) carries the Test Write bit.
    uint8_t answer[16] = {};
    if (GetConfiguration(2, answer, sizeof answer, writeFeature) && GetBE32(answer) >= 9 &&
        GetBE16(answer + 8) == writeFeature && (answer[10] & 0x01))
        return answer[12] & 0x04;
    // Drives without GET CONFIGURATION tell in the capabilities page.
    return FCapabilities & cpTestWrite;
}
