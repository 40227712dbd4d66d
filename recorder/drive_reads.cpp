#include "drive_reads.h"

#include <algorithm>

namespace {

constexpr uint32_t kUnknownAdapterBlocks = 32;  // 64 KiB
constexpr uint32_t kMostBlocks = 256;           // 512 KiB

} // namespace

bool DriveBusy(const TSCSIDevice& device) {
    return device.TargetBusy() || device.SenseData()[12] == 0x04;
}

uint16_t ReadBlocksPerRequest(TSCSIDevice& device) {
    const uint32_t bytes = device.AdapterMaxTransfer();
    if (bytes == 0) return kUnknownAdapterBlocks;
    return static_cast<uint16_t>(std::clamp<uint32_t>(bytes / 2048, 1, kMostBlocks));
}

bool FieldRefused(const TSCSIDevice& device) {
    const auto& sense = device.SenseData();
    return (sense[2] & 0x0F) == 0x05 && sense[12] == 0x24;
}

bool ReadWhenReady(TSCSIDevice& device, uint32_t lba, uint16_t blocks, uint8_t* buffer, bool forceUnitAccess) {
    const uint32_t bytes = uint32_t(blocks) * 2048;
    for (int attempt = 0;; ++attempt) {
        if (device.Read10(lba, blocks, buffer, bytes, forceUnitAccess)) return true;
        if (!DriveBusy(device) || attempt + 1 >= kBusyAttempts || !device.DrivePause(kBusyRetryMs)) return false;
    }
}
