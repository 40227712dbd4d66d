// TSCSIDevice: waiting for the drive. Requests that stay pending and the pauses of the waiting
// loops add up to how long the drive has kept its caller waiting; a drive that stops answering
// is reported every 30 s instead of being waited for in silence, and the user can end every
// wait at once.
#include "scsi_device.h"

#include <algorithm>
#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>

namespace {

constexpr int64_t kFirstWaitReportMs = 10000;
constexpr int64_t kWaitReportEveryMs = 30000;

// Waits for one of the descriptors to become readable, at most TimeoutMs.
void PollFor(pollfd* Fds, nfds_t Count, int TimeoutMs)
{
    while (poll(Fds, Count, TimeoutMs) < 0 && errno == EINTR) {
    }
}

}  // namespace

void TSCSIDevice::CancelDriveWaits()
{
    FWaitsCancelled = true;
    eventfd_write(FCancelEvent, 1);
}

void TSCSIDevice::ResumeDriveWaits()
{
    eventfd_t signals = 0;
    (void)eventfd_read(FCancelEvent, &signals);
    FWaitsCancelled = false;
    DriveAnswered();
}

bool TSCSIDevice::DrivePause(int Ms)
{
    if (FWaitsCancelled)
        return false;
    Pause(Ms);
    if (FWaitsCancelled)  // the pause ended early
        return false;
    DriveWaited(Ms);
    return true;
}

void TSCSIDevice::Pause(int Ms)
{
    pollfd cancel{FCancelEvent, POLLIN, 0};
    PollFor(&cancel, 1, Ms);
}

void TSCSIDevice::WaitForCompletion(int Event, int TimeoutMs)
{
    pollfd waiters[2] = {{Event, POLLIN, 0}, {FCancelEvent, POLLIN, 0}};
    PollFor(waiters, 2, TimeoutMs);
}

void TSCSIDevice::AwaitCompletion(SRB_ExecSCSICmd& Srb, int Event, int TimeoutMs)
{
    auto pending = [&Srb] { return std::atomic_ref<uint8_t>(Srb.SRB_Status).load() == SS_PENDING; };
    for (int waited = 0; waited < TimeoutMs && !FWaitsCancelled && pending();) {
        const int piece = int(std::min<int64_t>(TimeoutMs - waited, FNextWaitReportMs - FDriveWaitMs));
        WaitForCompletion(Event, piece);
        if (!pending() || FWaitsCancelled)  // done, or the wait ended early
            return;
        waited += piece;
        DriveWaited(piece);
    }
}

void TSCSIDevice::DriveWaited(int Ms)
{
    FDriveWaitMs += Ms;
    if (FDriveWaitMs < FNextWaitReportMs)
        return;
    while (FNextWaitReportMs <= FDriveWaitMs)
        FNextWaitReportMs += kWaitReportEveryMs;
    FWaitReported = true;
    if (OnDriveWait)
        OnDriveWait(this, int(FDriveWaitMs / 1000));
}

void TSCSIDevice::DriveAnswered()
{
    FDriveWaitMs = 0;
    FNextWaitReportMs = kFirstWaitReportMs;
    if (!FWaitReported)
        return;
    FWaitReported = false;
    if (OnDriveWait)
        OnDriveWait(this, 0);
}
