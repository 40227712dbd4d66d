// Stand-in CD drive nodes for the pass-through layer: this machine has no /dev/sr*.
#pragma once

#include "passthrough_linux.h"

#include "hang_guard.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <functional>
#include <mutex>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <unistd.h>
#include <vector>

// A drive that stops answering: a command with the gate's operation code is held inside the
// system call until the test lets it go, however long that takes.
class TDriveGate {
public:
    TDriveGate() : FHeldEvent(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
    ~TDriveGate() { close(FHeldEvent); }

    // Holds the next commands with this operation code.
    void Arm(uint8_t Command)
    {
        std::lock_guard lock(FLock);
        FOpCode = Command;
        FHeld = 0;
        FReleased = false;
        eventfd_t held = 0;
        (void)eventfd_read(FHeldEvent, &held);
    }

    // Called inside the system call; returns when the command may go on to the drive.
    void Pass(uint8_t Command)
    {
        std::unique_lock lock(FLock);
        if (Command != FOpCode || FOpCode == 0 || FReleased)
            return;
        ++FHeld;
        eventfd_write(FHeldEvent, 1);
        FChanged.notify_all();
        FChanged.wait(lock, [this] { return FReleased; });
    }
    // Lets the held commands go, and every later one through.
    void Release()
    {
        std::lock_guard lock(FLock);
        FReleased = true;
        eventfd_t held = 0;
        (void)eventfd_read(FHeldEvent, &held);
        FChanged.notify_all();
    }
    int Held()
    {
        std::lock_guard lock(FLock);
        return FHeld;
    }
    // Readable while a command is held.
    int HeldEvent() const { return FHeldEvent; }

private:
    std::mutex FLock;
    std::condition_variable FChanged;
    uint8_t FOpCode = 0;  // 0: nothing is held
    int FHeld = 0;
    bool FReleased = false;
    int FHeldEvent;
};

struct TFakeDrive {
    char Letter = 'D';
    bool HasAddress = false;
    TScsiAddress Address;
    std::string Identity = "FAKE    CD WRITER       1.00";  // INQUIRY bytes 8-35
    bool ReadOnly = false;      // refuses to open for writing
    bool InquiryFails = false;  // the enumeration's INQUIRY call fails
    uint32_t TransferLimit = 0;  // bytes the system moves in one command; 0: it does not say
};

class TFakeNodes : public TDeviceNodes {
public:
    std::vector<TFakeDrive> Drives;
    // Plays the drive for every command but the enumeration's INQUIRY; the default answers GOOD.
    std::function<bool(sg_io_hdr_t&)> Answer;
    TDriveGate Gate;
    int CDDriveQueries = 0;
    std::atomic<int> Opens = 0;
    std::atomic<int> OpenHandles = 0;  // closed on a request thread when a request held the last reference
    std::vector<std::vector<uint8_t>> Commands;  // CDBs that reached a drive

    bool IsCDDrive(char Letter) override
    {
        ++CDDriveQueries;
        return Find(Letter) != nullptr;
    }
    int Open(char Letter, bool ReadWrite) override
    {
        const TFakeDrive* drive = Find(Letter);
        if (!drive || (ReadWrite && drive->ReadOnly))
            return -1;
        ++Opens;
        ++OpenHandles;
        return 100 + Letter;
    }
    bool SendCommand(int Handle, sg_io_hdr_t& Io) override
    {
        const TFakeDrive* drive = Find(char(Handle - 100));
        auto* cdb = static_cast<uint8_t*>(Io.cmdp);
        Commands.emplace_back(cdb, cdb + Io.cmd_len);
        Io.status = 0;
        Io.host_status = 0;
        Io.driver_status = 0;
        Io.sb_len_wr = 0;
        Gate.Pass(cdb[0]);
        if (cdb[0] == 0x12) {
            if (drive->InquiryFails)
                return false;
            auto* data = static_cast<uint8_t*>(Io.dxferp);
            data[0] = 0x05;
            std::memcpy(data + 8, drive->Identity.data(), 28);
            return true;
        }
        return Answer ? Answer(Io) : true;
    }
    bool GetAddress(int Handle, TScsiAddress& Address) override
    {
        const TFakeDrive* drive = Find(char(Handle - 100));
        if (!drive->HasAddress)
            return false;
        Address = drive->Address;
        return true;
    }
    void Close(int) override { --OpenHandles; }
    uint32_t TransferLimit(int Handle) override { return Find(char(Handle - 100))->TransferLimit; }

    // A completion wait of a device on these nodes: returns once the request has completed, or
    // at once while a command is held, as if the time asked for had passed without an answer.
    void WaitForAnswerOrHold(int Event) const
    {
        pollfd waiters[2] = {{Event, POLLIN, 0}, {Gate.HeldEvent(), POLLIN, 0}};
        poll(waiters, 2, HangGuardMs);
    }

private:
    const TFakeDrive* Find(char Letter) const
    {
        auto found = std::find_if(Drives.begin(), Drives.end(), [&](const TFakeDrive& d) { return d.Letter == Letter; });
        return found == Drives.end() ? nullptr : &*found;
    }
};

inline TFakeDrive DriveAt(char Letter, uint8_t Port, uint8_t Target)
{
    TFakeDrive drive;
    drive.Letter = Letter;
    drive.HasAddress = true;
    drive.Address.PortNumber = Port;
    drive.Address.TargetId = Target;
    return drive;
}

inline TFakeDrive DriveWithoutAddress(char Letter)
{
    TFakeDrive drive;
    drive.Letter = Letter;
    return drive;
}
