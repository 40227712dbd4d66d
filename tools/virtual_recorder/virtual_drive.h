// One emulated MMC drive: answers SCSI command blocks the way the MMC and SPC standards
// describe, for the configured medium and faults.
#pragma once

#include "disc_model.h"
#include "drive_config.h"
#include "sha256.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vrec {

// How a command ended.
struct TOutcome {
    uint8_t TargetStatus = 0x00;  // 00h GOOD, 02h CHECK CONDITION, 08h BUSY
    bool HostError = false;       // the data phase did not fit the host's buffer
    std::array<uint8_t, 18> Sense{};  // fixed-format sense with CHECK CONDITION
};

class TVirtualDrive {
public:
    explicit TVirtualDrive(const TDriveConfig& Config);
    ~TVirtualDrive();
    TVirtualDrive(const TVirtualDrive&) = delete;
    TVirtualDrive& operator=(const TVirtualDrive&) = delete;

    const TDriveConfig& Config() const { return FConfig; }
    const TDisc& Disc() const { return FDisc; }

    // Runs one command. Data is the host's buffer of Length bytes: filled for data-in
    // commands (never beyond Length or the allocation length), read for data-out ones.
    TOutcome Execute(const uint8_t* Cdb, uint8_t* Data, uint32_t Length);

private:
    using TAnswer = std::vector<uint8_t>;

    // Common checks before a command runs; a value is the outcome that ends it early.
    std::optional<TOutcome> Precheck(uint8_t OpCode);
    TOutcome Reply(const TAnswer& Answer, uint32_t AllocationLength, uint8_t* Data, uint32_t Length);

    // Answers (drive_answers.cpp).
    TAnswer InquiryData() const;
    TAnswer CapabilitiesPage(uint8_t PageControl) const;
    TAnswer WriteParametersPage(uint8_t PageControl) const;
    TAnswer ConfigurationData(uint8_t RequestType, uint16_t StartingFeature) const;
    TAnswer TocData(uint8_t Format, bool MSF) const;
    TAnswer DiscInformation() const;
    std::optional<TAnswer> TrackInformation(uint8_t AddressType, uint32_t Address) const;

    // Commands (virtual_drive.cpp).
    TOutcome RequestSense(const uint8_t* Cdb, uint8_t* Data, uint32_t Length);
    TOutcome ModeSense(const uint8_t* Cdb, uint8_t* Data, uint32_t Length);
    TOutcome ModeSelect(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length);
    TOutcome StartStop(const uint8_t* Cdb);
    TOutcome Write(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length);
    TOutcome Read(const uint8_t* Cdb, uint8_t* Data, uint32_t Length);
    TOutcome SynchronizeCache(const uint8_t* Cdb);
    TOutcome CloseTrackSession(const uint8_t* Cdb);
    TOutcome ReserveTrack(const uint8_t* Cdb);
    TOutcome SetCDSpeed(const uint8_t* Cdb);
    TOutcome SetStreaming(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length);
    TOutcome SendDVDStructure(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length);
    TOutcome ReadFormatCapacities(const uint8_t* Cdb, uint8_t* Data, uint32_t Length);
    TOutcome FormatUnit(const uint8_t* Cdb, const uint8_t* Data, uint32_t Length);
    // Keeps the recorded blocks: in the store file, or only in the digest.
    bool Store(uint32_t Lba, const uint8_t* Data, uint32_t Blocks);
    void KeepInReadCache(uint32_t Lba, uint32_t Blocks);
    void SaveDigest();

    uint8_t WriteType() const { return FWriteParameters[2] & 0x0F; }
    // DVD+R and Blu-ray know no test write: the write parameters do not apply to them.
    bool TestWriteMode() const { return (FWriteParameters[2] & 0x10) && !FDisc.IsPlusOrBDR() && !FDisc.IsBluRay(); }

    TDriveConfig FConfig;
    TDisc FDisc;
    int FStore = -1;  // file holding the recorded blocks at LBA × 2048
    bool FTrayOpen = false;
    bool FPrevented = false;
    bool FUnitAttention = false;
    uint32_t FNotReady = 0;
    uint32_t FBusyWrites = 0;
    bool FBusyAtLbaSeen = false;
    uint32_t FLongWrites = 0;
    uint32_t FBusyReads = 0;
    uint32_t FCachedFrom = 0, FCachedTo = 0;  // the recorded blocks still in the buffer
    uint32_t FFinalizing = 0;  // commands still refused while the drive finalises on its own
    uint32_t FFormatting = 0;  // commands still refused while the drive formats on its own
    TSha256 FDigest;           // of the recorded data, in hash-only mode
    std::optional<uint64_t> FDigestNext;  // the block the next write must start at for the digest to hold
    bool FDigestBroken = false;  // a write went elsewhere: the digest means nothing
    uint16_t FReadSpeed = 0;   // current speeds in KB/s
    uint16_t FWriteSpeed = 0;
    std::array<uint8_t, 52> FWriteParameters{};
    std::optional<uint32_t> FTestPosition;  // where the next test write must go
};

// Fixed-format sense data and the outcomes made from it.
TOutcome Good();
TOutcome CheckCondition(uint8_t Key, uint8_t ASC, uint8_t ASCQ);
TOutcome Busy();

}  // namespace vrec
