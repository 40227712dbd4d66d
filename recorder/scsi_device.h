// TSCSIDevice: the recorder's view of the SCSI buses. It lists the CD and DVD drives found,
// keeps the selected drive, runs single requests with a time-out, turns failures into text,
// writes a diagnostic trace, and carries the MMC drive commands and the drive/disc model.
// It never throws: operations return a Boolean or a small code; the reason of a failed
// request is in LastError() and SenseData().
#pragma once

#include "aspi.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

class TSCSIDevice;

// Receiver of diagnostic lines (a memo control in a window).
class TDebugWindow {
public:
    virtual ~TDebugWindow() = default;
    virtual void AddLine(const std::string& Line) = 0;
};

using TOnDebugMsg = std::function<void(TSCSIDevice* Sender, const std::string& Message, uint8_t mType)>;
using TDeviceChangedEvent = std::function<void(TSCSIDevice* Sender)>;
// Seconds > 0: the drive has kept its caller waiting that long; 0: such a wait is over.
using TDriveWaitEvent = std::function<void(TSCSIDevice* Sender, int Seconds)>;

// Disc type codes (CurrentDiscType).
enum : uint16_t {
    dtUnknown = 0, dtCDROM = 1, dtCDR = 2, dtCDRW = 3, dtDVDROM = 4, dtDVDR = 5, dtDVDRAM = 6,
    dtDVDRW = 7, dtDVDRWSeq = 8, dtDVDPlusRW = 9, dtDDCDROM = 10, dtDDCDR = 11, dtDDCDRW = 12,
    dtDVDPlusR = 13, dtDVDPlusRDL = 14, dtBDROM = 15, dtBDR = 16, dtBDRE = 17
};

// DVD+R, DVD+R DL and BD-R: recorded from the next writable address of the invisible track,
// then the track and the session are closed. They have no write parameters page.
inline bool IsTrackRecordedDisc(uint16_t DiscType)
{
    return DiscType == dtDVDPlusR || DiscType == dtDVDPlusRDL || DiscType == dtBDR;
}

inline bool IsBluRay(uint16_t DiscType)
{
    return DiscType == dtBDROM || DiscType == dtBDR || DiscType == dtBDRE;
}

// Discs that take no write parameters page (05h): DVD-RAM, DVD+R, DVD+R DL and Blu-ray.
inline bool HasNoWriteParameters(uint16_t DiscType)
{
    return DiscType == dtDVDRAM || IsTrackRecordedDisc(DiscType) || IsBluRay(DiscType);
}

// Write features a drive reports in GET CONFIGURATION (WriteFeatures): media that the
// capabilities page 2Ah cannot name.
enum : uint8_t { wfDVDPlusR = 0x01, wfDVDPlusRDL = 0x02, wfBDR = 0x04, wfBDRE = 0x08 };

// Capability bits (Capabilities).
enum : uint16_t {
    cpCDRRead = 0x0001, cpCDRWRead = 0x0002, cpMethod2 = 0x0004, cpDVDROMRead = 0x0008,
    cpDVDRRead = 0x0010, cpDVDRAMRead = 0x0020, cpCDRWrite = 0x0040, cpCDRWWrite = 0x0080,
    cpTestWrite = 0x0100, cpDVDRWrite = 0x0200, cpDVDRAMWrite = 0x0400, cpUnderrunProtection = 0x1000
};

// Display name of a disc type code ("CD-R", "DVD-RW", ... ; "UNKNOWN" outside the table).
const char* DiscTypeName(uint16_t DiscType);

// Mode page 2Ah, bytes 0-21, with the speed and buffer words in host order after a complete read.
struct TCapabilityPage {
    std::array<uint8_t, 22> Bytes{};  // as located in the MODE SENSE answer
    uint16_t MaxReadSpeed = 0;        // KB/s, bytes 8-9
    uint16_t BufferSize = 0;          // KB, bytes 12-13
    uint16_t CurrentReadSpeed = 0;    // KB/s, bytes 14-15
    uint16_t MaxWriteSpeed = 0;       // KB/s, bytes 18-19
    uint16_t CurrentWriteSpeed = 0;   // KB/s, bytes 20-21
};

// Last READ TRACK INFORMATION answer with its numeric fields in host order.
struct TTrackInfo {
    std::array<uint8_t, 38> Bytes{};  // as the drive sent them
    uint16_t DataLength = 0;
    uint32_t TrackStartAddress = 0;
    uint32_t NextWritableAddress = 0;
    uint32_t FreeBlocks = 0;
    uint32_t FixedPacketSize = 0;
    uint32_t TrackSize = 0;
    uint32_t LastRecordedAddress = 0;
};

// The 28-byte performance descriptor sent with SET STREAMING before a DVD-R family recording.
std::array<uint8_t, 28> DVDRPerformanceDescriptor();

class TSCSIDevice {
public:
    static constexpr uint8_t NoDevice = 0xFE;

    explicit TSCSIDevice(void* Owner = nullptr);
    virtual ~TSCSIDevice();
    TSCSIDevice(const TSCSIDevice&) = delete;
    TSCSIDevice& operator=(const TSCSIDevice&) = delete;

    // ---- Discovery and requests ----
    bool InitializeASPI(bool PreferSPTI);
    bool ASPIInitialized() const;
    void HostAdapterInquiry(uint8_t AHaId);
    // The largest transfer, in bytes, that the selected drive's host adapter takes in one
    // request; 0 when the adapter does not say.
    uint32_t AdapterMaxTransfer();
    void ScanBus();
    char DriveLetter();  // 0 when unknown
    bool SelectDriveLetter(char Letter);
    void SelectDevice(const std::string& ID);
    uint8_t ExecuteSRB(SRB_ExecSCSICmd& Srb, int TimeoutMs);
    void DebugMessage(const std::string& Text, uint8_t Kind);  // Kind 0 error, 1 information

    void* Owner() const { return FOwner; }
    uint8_t HaId() const { return FHaId; }
    uint8_t Target() const { return FTarget; }
    uint8_t Lun() const { return FLun; }
    int8_t AdapterCount() const { return FAdapterCount; }
    const std::vector<std::string>& DeviceList() const { return FDeviceList; }
    const std::string& DeviceID() const { return FDeviceID; }
    const std::string& DeviceDescription() const { return FDeviceDescription; }
    uint8_t PeripheralType() const { return FPeripheralType; }
    const std::array<uint8_t, 128>& InquiryData() const { return FInquiryData; }
    const std::string& LastError() const { return FLastError; }
    bool TargetBusy() const { return FTargetBusy; }
    const std::array<uint8_t, SENSE_LEN>& SenseData() const { return FSenseData; }

    TDebugWindow* DebugWindow = nullptr;  // cleared by the owner when the control goes away
    TOnDebugMsg OnDebugMessage;
    bool DoDebug = true;
    TDeviceChangedEvent OnDeviceChange;

    // ---- Single drive commands (true when the request completes) ----
    bool TestUnitReady(int TimeoutMs);
    bool RezeroUnit();
    bool RequestSense(uint8_t* Buffer, uint8_t Length);
    bool Inquiry();
    bool LoadEject(bool Eject);
    bool AllowMediumRemoval(bool Allow);
    bool Write10(uint32_t LBA, uint16_t Blocks, const uint8_t* Buffer, uint32_t Bytes);
    // With ForceUnitAccess the drive must read the medium, not answer from its buffer.
    bool Read10(uint32_t LBA, uint16_t Blocks, uint8_t* Buffer, uint32_t Bytes, bool ForceUnitAccess = false);
    bool SynchronizeCache(int TimeoutMs, bool Immediate);
    bool ReadTOC(uint8_t Format, bool MSF, uint8_t Number, uint8_t* Buffer, uint8_t Length);
    bool GetConfiguration(uint8_t RT, uint8_t* Buffer, uint8_t Length, uint16_t StartingFeature = 0);
    bool ReadDiscInfo();
    bool ReadTrackInfo(uint8_t Track);
    bool ReserveTrack(uint32_t Blocks);
    bool SendOPC();
    bool ModeSelect10(const uint8_t* List, uint8_t Length);
    bool ModeSense10(uint8_t Page, bool Defaults, uint8_t* Buffer, uint16_t Length);
    bool CloseTrackSession(bool Track, bool Immediate);
    // CLOSE TRACK/SESSION with any close function (001b track, 010b session, 110b finalise).
    bool CloseFunction(uint8_t Function, bool Immediate);
    bool ReadFormatCapacities(uint8_t* Buffer, uint8_t Length);
    bool FormatUnit(const uint8_t* List, uint8_t Length);
    bool ReadBufferCapacity();
    bool SetStreaming(const uint8_t* Descriptor, uint16_t Length);
    bool SetCDSpeed(uint16_t ReadX, uint16_t WriteX);
    bool SendDVDStructure(uint8_t Format, const uint8_t* Data, uint16_t Length);

    // ---- Drive and disc model ----
    bool ReadDeviceInfo();
    bool ReadCapabilities();
    uint16_t CurrentWriteSpeed();
    uint16_t GetDiscType();
    uint8_t LastSessionNumber();
    uint32_t FreeBlocks();
    bool NextWritableAddress();  // sets StartSector
    bool SetWriteParameters(bool ATestWrite, bool AUnderrunProtection, uint16_t DiscType);
    bool WaitReady(int TotalMs, int IntervalMs);
    bool SendTimeStamp(const std::tm& DateTime);
    // Whether the drive can make a test write (the whole recording with the laser off) on a
    // disc of this type. Without it, a recording asked to be a test would be a real one.
    bool CanTestWrite(uint16_t DiscType);
    // Whether the disc (a BD-RE) has never been formatted: it must be before it can be written.
    bool NeedsFormat();
    // The blocks a BD-RE holds once formatted with the drive's default spare areas; 0 unknown.
    uint32_t FormattedBlocks();
    // Formats such a disc with the drive's default spare areas, with the immediate bit; the
    // caller waits for the drive to be ready again.
    bool QuickFormat();
    // The write features of GET CONFIGURATION (wf... bits); 0 without GET CONFIGURATION.
    uint8_t ReadWriteFeatures();

    const TCapabilityPage& CapabilityPage() const { return FCapabilityPage; }
    uint16_t Capabilities() const { return FCapabilities; }
    uint16_t DeviceMaxWriteSpeed() const { return FDeviceMaxWriteSpeed; }
    uint16_t DeviceMaxReadSpeed() const { return FDeviceMaxReadSpeed; }
    const std::array<uint8_t, 54>& WriteParametersPage() const { return FWriteParametersPage; }
    const TTrackInfo& TrackInfo() const { return FTrackInfo; }
    const std::array<uint8_t, 56>& DiscInfo() const { return FDiscInfo; }
    bool LinkSizeQuirk() const { return FLinkSizeQuirk; }
    bool SlowFinalizeQuirk() const { return FSlowFinalizeQuirk; }
    uint16_t WriteSpeed() const { return FWriteSpeed; }
    void SetWriteSpeed(uint16_t X);  // sends SET CD SPEED, then keeps X whatever the drive said

    uint32_t DeviceBufferSize = 0;      // KB from page 2Ah, bytes after ReadBufferCapacity
    uint32_t DeviceFreeBufferSize = 0;  // bytes after ReadBufferCapacity
    uint16_t ReadSpeed = 0;             // x; 0 is the drive's maximum
    uint32_t StartSector = 0;           // first block of the recording (next writable address)

    // Recording options (stored properties of the burner component).
    bool UnderrunProtection = true;
    bool TestWrite = false;
    bool FinalizeDisc = true;
    bool FinalizeTrack = true;
    bool PerformOPC = false;

    // Process-wide drive model state.
    static inline uint16_t CurrentDiscType = dtUnknown;
    static inline bool CloseImmediate = true;

    // ---- Waiting for the drive (drive_waits.cpp) ----
    // Raised on the waiting thread while requests stay pending and waiting loops pause without
    // the drive answering: first after 10 s, then every 30 s; with 0 once it answers again.
    TDriveWaitEvent OnDriveWait;
    // Ends every wait for the drive at once, the one under way and those that follow, until
    // ResumeDriveWaits: pending requests are given up, pauses end and WaitReady gives up.
    void CancelDriveWaits();
    void ResumeDriveWaits();
    bool DriveWaitsCancelled() const { return FWaitsCancelled.load(); }
    // One pause of a waiting loop; it counts as waiting for the drive. False, without
    // pausing, when the waits are cancelled: the loop is to give up.
    bool DrivePause(int Ms);

protected:
    // Sleep of the waiting loops, ended early by CancelDriveWaits; tests replace it to count
    // the steps instead.
    virtual void Pause(int Ms);
    // Waits at most TimeoutMs for the completion event of a pending request (or for
    // CancelDriveWaits). Tests replace it to return at once, as if that time had passed.
    virtual void WaitForCompletion(int Event, int TimeoutMs);

private:
    bool SelectListedLetter(char Letter);
    void ClearSelection();
    void BuildLastError(const SRB_ExecSCSICmd& Srb);
    std::string TraceLine(const SRB_ExecSCSICmd& Srb) const;
    void SetModelFlags();
    bool Run(SRB_ExecSCSICmd& Srb, int TimeoutMs);
    // Waits for a pending request in pieces that end where the next wait report is due.
    void AwaitCompletion(SRB_ExecSCSICmd& Srb, int Event, int TimeoutMs);
    void DriveWaited(int Ms);
    void DriveAnswered();

    void* FOwner;
    uint8_t FHaId = NoDevice;
    uint8_t FTarget = NoDevice;
    uint8_t FLun = NoDevice;
    int8_t FAdapterCount = 0;
    std::vector<std::string> FDeviceList;
    std::string FDeviceID;
    std::string FDeviceDescription;
    uint8_t FPeripheralType = 0x7F;
    std::array<uint8_t, 128> FInquiryData{};
    std::string FLastError;
    bool FTargetBusy = false;
    std::array<uint8_t, SENSE_LEN> FSenseData{};
    int FCompletionEvent = -1;  // the requests' completion event, made at the first request
    int FCancelEvent = -1;      // signalled while drive waits are cancelled
    std::atomic<bool> FWaitsCancelled{false};
    int64_t FDriveWaitMs = 0;   // how long the drive has kept its caller waiting
    int64_t FNextWaitReportMs = 10000;  // the first report comes after 10 s
    bool FWaitReported = false;
    std::string FHaManagerId;   // of the last host adapter inquiry
    std::string FHaIdentifier;

    TCapabilityPage FCapabilityPage;
    uint16_t FCapabilities = 0;
    uint16_t FDeviceMaxWriteSpeed = 0;
    uint16_t FDeviceMaxReadSpeed = 0;
    std::array<uint8_t, 54> FWriteParametersPage{};
    TTrackInfo FTrackInfo;
    std::array<uint8_t, 56> FDiscInfo{};
    bool FLinkSizeQuirk = false;
    bool FSlowFinalizeQuirk = false;
    uint16_t FWriteSpeed = 0;
};
