// TSCSIDevice: what DVD+R and Blu-ray media need beyond the capabilities page and the
// write parameters: the write features of GET CONFIGURATION and the first format of a BD-RE.
#include "big_endian.h"
#include "scsi_device.h"

#include <algorithm>

namespace {

constexpr uint8_t kUnformattedMedia = 0x01;  // descriptor type of the current capacity
constexpr uint8_t kBDREWithSpares = 0x30;    // format type: BD-RE with the default spare areas

// The 8-byte formattable capacity descriptor of a BD-RE format with the default spare areas: the
// first of that type, as the drive lists its default first. False when there is none.
bool DefaultFormat(TSCSIDevice& Device, uint8_t* Descriptor)
{
    uint8_t answer[252];
    if (!Device.ReadFormatCapacities(answer, sizeof answer))
        return false;
    // A capacity list header, the current/maximum capacity descriptor, then the formattable ones.
    const int listEnd = std::min<int>(4 + answer[3], sizeof answer);
    for (int at = 12; at + 8 <= listEnd; at += 8)
        if ((answer[at + 4] >> 2) == kBDREWithSpares) {
            std::copy_n(answer + at, 8, Descriptor);
            return true;
        }
    return false;
}

}  // namespace

bool TSCSIDevice::NeedsFormat()
{
    uint8_t answer[12];
    return ReadFormatCapacities(answer, sizeof answer) && (answer[8] & 0x03) == kUnformattedMedia;
}

uint32_t TSCSIDevice::FormattedBlocks()
{
    uint8_t descriptor[8];
    return DefaultFormat(*this, descriptor) ? GetBE32(descriptor) : 0;
}

bool TSCSIDevice::QuickFormat()
{
    uint8_t list[12] = {};
    if (!DefaultFormat(*this, list + 4))  // the format descriptor follows the list header
        return false;
    list[1] = 0x82;  // FOV, IMMED: the drive answers at once and formats on its own
    PutBE16(&list[2], 8);
    list[8] = uint8_t(kBDREWithSpares << 2);  // sub-type 00b: the quick format
    return FormatUnit(list, sizeof list);
}

uint8_t TSCSIDevice::ReadWriteFeatures()
{
    // One feature descriptor after the 8-byte header: code, flags (bit 0: current), length, data.
    auto feature = [this](uint16_t code, uint8_t* answer, uint8_t length) {
        return GetConfiguration(2, answer, length, code) && GetBE32(answer) >= 8 && GetBE16(answer + 8) == code;
    };
    uint8_t features = 0;
    uint8_t answer[16] = {};
    if (feature(0x002B, answer, sizeof answer) && (answer[12] & 0x01))  // DVD+R, Write bit
        features |= wfDVDPlusR;
    if (feature(0x003B, answer, sizeof answer) && (answer[12] & 0x01))  // DVD+R Dual Layer, Write bit
        features |= wfDVDPlusRDL;
    if (!feature(0x0041, answer, sizeof answer))  // BD Write
        return features;
    // Which of BD-R and BD-RE the drive writes: the profiles it lists.
    uint8_t profiles[252] = {};
    if (!feature(0x0000, profiles, sizeof profiles))
        return features;
    const int end = std::min<int>(12 + profiles[11], sizeof profiles);
    for (int at = 12; at + 4 <= end; at += 4) {
        const uint16_t profile = GetBE16(profiles + at);
        if (profile == 0x0041 || profile == 0x0042)
            features |= wfBDR;
        if (profile == 0x0043)
            features |= wfBDRE;
    }
    return features;
}
