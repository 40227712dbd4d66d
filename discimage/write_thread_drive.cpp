// The drive branch of the recording thread: preparing the drive for the disc in it, writing
// the image with WRITE (10) block group by block group, and finalising the disc.
#include "write_thread.h"

#include "drive_reads.h"
#include "job_state.h"
#include "mcdburner.h"
#include "passthrough_linux.h"

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

constexpr int kCloseRetryMs = 1000;
constexpr int kCloseAttempts = 1000;
constexpr int kPollEveryGroups = 5;
// A DVD-R lead-out takes 15 to 20 minutes on slow drives; a drive silent for far longer is lost.
constexpr int kDVDRFinalizeLimitMs = 45 * 60 * 1000;
constexpr int kDVDRFinalizePollMs = 1000;
// A first BD-RE format with the immediate bit: the drive answers "format in progress" meanwhile.
constexpr int kFormatWaitMs = 1800000;
constexpr int kFormatPollMs = 2000;
// Close functions of CLOSE TRACK/SESSION for DVD+R and BD-R.
constexpr uint8_t kCloseTrack = 0x01;
constexpr uint8_t kCloseSession = 0x02;  // the disc stays appendable
constexpr uint8_t kFinalizeDisc = 0x06;  // the session is closed and the disc finalised
// One times speed in KB/s, for the start line: the CD unit is the engine's own.
constexpr double kDVDSpeedKBs = 1385;
constexpr double kBDSpeedKBs = 4495;

bool IsDVDRFamily(uint16_t discType) {
    return discType == dtDVDR || discType == dtDVDRW || discType == dtDVDRWSeq;
}

bool IsDVD(uint16_t discType) {
    return IsDVDRFamily(discType) || discType == dtDVDPlusRW;
}

// DVD+R, DVD+R DL and Blu-ray: no REZERO UNIT, speeds in their own unit.
bool IsNewerMedium(uint16_t discType) {
    return discType >= dtDVDPlusR && discType <= dtBDRE;
}

std::tm LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

} // namespace

void TThWrite::WriteToDrive() {
    const bool verify = FBurner.Verify && !FBurner.TestWrite;  // a test write records nothing
    if (PrepareDrive()) {
        CloseAfterCommand = false;  // the drive's handle stays open while the image is written
        WriteLoop([this, verify](const char* group, int32_t bytes) {
            if (verify) FCheck.AddWritten(group, bytes);
            return WriteGroupToDrive(group, bytes);
        });
    }
    FinalizeDrive();
    if (verify) VerifyDrive();
}

// The results are not checked here: a drive that refused a step fails at the first WRITE.
// Only a test write that the drive cannot make is refused before anything is sent: it would
// record the disc for real.
bool TThWrite::PrepareDrive() {
    FDiscType = FBurner.GetDiscType();
    TSCSIDevice::CurrentDiscType = FDiscType;
    if (FBurner.TestWrite && !FBurner.CanTestWrite(FDiscType)) {
        Fail("TEST WRITE NOT SUPPORTED BY THIS RECORDER");
        return false;
    }
    if (FDiscType != dtDVDRAM) FBurner.LoadEject(false);
    if (FDiscType != dtDVDPlusRW && !IsNewerMedium(FDiscType)) FBurner.RezeroUnit();
    if (FDiscType != dtDVDRAM) FBurner.SetCDSpeed(FBurner.ReadSpeed, FBurner.WriteSpeed());
    FBurner.WaitReady(10000, 1000);
    FBurner.SetWriteParameters(FBurner.TestWrite, FBurner.UnderrunProtection, FDiscType);
    const uint16_t speed = FBurner.CurrentWriteSpeed();
    if (IsDVDRFamily(FDiscType)) ReserveDVDRTrack();
    if (FDiscType == dtBDRE && FBurner.NeedsFormat()) FormatDisc();
    FBurner.WaitReady(10000, 1000);
    if (FDiscType != dtDVDRAM && !FBurner.TestWrite && FBurner.PerformOPC) FBurner.SendOPC();
    AnnounceStart(speed);
    return true;
}

// A BD-RE fresh from the shop is formatted once (quickly, with the default spare areas);
// the writes wait until the drive is ready again.
void TThWrite::FormatDisc() {
    FBurner.QuickFormat();
    FBurner.WaitReady(kFormatWaitMs, kFormatPollMs);
}

// A DVD-R family disc is written in one piece (Disc At Once) into a track reserved for it.
void TThWrite::ReserveDVDRTrack() {
    const auto descriptor = DVDRPerformanceDescriptor();
    FBurner.SetStreaming(descriptor.data(), static_cast<uint16_t>(descriptor.size()));
    FBurner.SendTimeStamp(LocalNow());
    FBurner.ReserveTrack(static_cast<uint32_t>(FBurner.ImageBlocks() + 1));
}

void TThWrite::AnnounceStart(uint16_t speed) {
    // Speeds are counted in CD units of 176.46 KB/s; a DVD unit is about seven of them.
    long shown = IsDVD(FDiscType) ? std::lround(speed / 7.0) : speed;
    // Newer media show it in their own unit, from the drive's figure in KB/s.
    const uint16_t kbs = FBurner.CapabilityPage().CurrentWriteSpeed;
    if (IsNewerMedium(FDiscType)) shown = std::lround(kbs / (IsBluRay(FDiscType) ? kBDSpeedKBs : kDVDSpeedKBs));
    FBurner.DebugMessage(std::string(">>> STARTING WRITE PROCESS ON ") + DiscTypeName(FDiscType) + " AT " +
                             std::to_string(shown) + "X",
                         1);
    if (FBurner.TestWrite) FBurner.DebugMessage(">>> TEST/DUMMY WRITE", 1);
}

bool TThWrite::WriteGroupToDrive(const char* group, int32_t bytes) {
    // The buffer is polled before every fifth group; a drive that cannot answer is not asked again.
    if (FDiscType != dtDVDRAM && FPollCountdown == 0 && FBurner.ReadBufferCapacity())
        FPollCountdown = kPollEveryGroups;
    --FPollCountdown;
    return WriteWithRetries(group, bytes);
}

bool TThWrite::WriteWithRetries(const char* group, int32_t bytes) {
    const auto blocks = static_cast<uint16_t>(bytes / 2048);
    for (int attempt = 0;;) {
        if (Job().Abort) {
            Fail("OPERATION ABORTED BY USER");
            return false;
        }
        if (FBurner.Write10(FBurner.StartSector + FBlocks, blocks, reinterpret_cast<const uint8_t*>(group),
                            static_cast<uint32_t>(bytes))) {
            FBlocks += blocks;
            return true;
        }
        // An abort gives up a write the drive does not answer; the next attempt reports it.
        if (!DriveBusy(FBurner) && !Job().Abort) {
            Fail("WRITER ERROR [" + FBurner.LastError() + "]");
            return false;
        }
        FBurner.DrivePause(kBusyRetryMs);
        if (++attempt >= kBusyAttempts) {
            Fail("WRITER BUSY/BUFFER FULL");
            return false;
        }
    }
}

// Runs after every drive job, also after errors and aborts; only a job without error goes
// on to reset the write parameters, close the session and hand the disc back.
void TThWrite::FinalizeDrive() {
    CloseAfterCommand = true;
    const bool polls = FDiscType != dtDVDRAM;
    if (polls) FBurner.ReadBufferCapacity();
    if (IsDVDRFamily(FDiscType)) {
        WaitForDVDRFinalization();
    } else {
        RaiseFinalizingTrack();
        if (!FBurner.SynchronizeCache(120000, false)) FBurner.SynchronizeCache(120000, true);
        FBurner.WaitReady(1800000, 2000);
    }
    if (polls) FBurner.ReadBufferCapacity();
    NoteAbortWhileFinalizing();
    if (!FCache.ErrorText().empty()) return;

    FBurner.SetWriteParameters(FBurner.TestWrite, false, FDiscType);
    // DVD-RAM and BD-RE have nothing to close; the DVD-R family closed itself.
    const bool closes = !FBurner.TestWrite && FBurner.FinalizeTrack && FDiscType != dtDVDRAM && FDiscType != dtBDRE &&
                        !IsDVDRFamily(FDiscType);
    if (closes && IsTrackRecordedDisc(FDiscType)) {
        // DVD+R and BD-R: the track, then the session, which finalises the disc when asked.
        Close(kCloseTrack);
        Close(FBurner.FinalizeDisc ? kFinalizeDisc : kCloseSession);
    } else if (closes) {
        FBurner.SetWriteParameters(FBurner.TestWrite, FBurner.UnderrunProtection, FDiscType);
        Close(kCloseSession);
    }
    FBurner.WaitReady(240000, 5000);
    FBurner.LoadEject(false);
    FBurner.AllowMediumRemoval(true);
    if (!IsDVD(FDiscType) && FDiscType != dtDVDRAM && !IsNewerMedium(FDiscType)) FBurner.RezeroUnit();
    NoteAbortWhileFinalizing();
}

// An abort during the finalisation ends its waits for the drive and leaves the disc perhaps
// unfinished: the job must not report success.
void TThWrite::NoteAbortWhileFinalizing() {
    if (Job().Abort && FCache.ErrorText().empty()) FCache.SetErrorText("OPERATION ABORTED BY USER");
}

void TThWrite::RaiseFinalizingTrack() {
    std::lock_guard<std::mutex> lock(Job().EndLock);
    if (FBurner.OnFinalizingTrack) FBurner.OnFinalizingTrack(&FBurner);
    if (IsDVDRFamily(FDiscType) && FBurner.SlowFinalizeQuirk())
        FBurner.DebugMessage(">>> WRITING LEAD-OUT (THIS CAN TAKE APPROXIMATELY 15-20 MINUTES)", 1);
}

// The drive writes the lead-out on its own after an immediate SYNCHRONIZE CACHE and answers
// READ DISC INFORMATION again once it is done. Meanwhile the free buffer counts down as a
// sign of progress.
void TThWrite::WaitForDVDRFinalization() {
    RaiseFinalizingTrack();
    FBurner.SynchronizeCache(1800000, true);
    FBurner.DeviceFreeBufferSize = FBurner.DeviceBufferSize;
    const uint32_t step = FBurner.DeviceBufferSize / 960;
    for (int waited = 0; !FBurner.ReadDiscInfo(); waited += kDVDRFinalizePollMs) {
        if (waited >= kDVDRFinalizeLimitMs) {
            FCache.SetErrorText("TIMEOUT WAITING FOR DRIVE");
            return;
        }
        FBurner.DeviceFreeBufferSize -= std::min(step, FBurner.DeviceFreeBufferSize);
        if (!FBurner.DrivePause(kDVDRFinalizePollMs)) return;
    }
}

// A busy drive gets a second every time; after any other failure one more attempt is made.
// Neither outcome changes the job's result.
void TThWrite::Close(uint8_t function) {
    for (int attempt = 0; attempt < kCloseAttempts; ++attempt) {
        if (FBurner.CloseFunction(function, TSCSIDevice::CloseImmediate)) return;
        if (!DriveBusy(FBurner)) {
            FBurner.CloseFunction(function, TSCSIDevice::CloseImmediate);
            return;
        }
        if (!FBurner.DrivePause(kCloseRetryMs)) return;
    }
}
