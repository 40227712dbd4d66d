// The two exported entry points of the virtual recorder library: an ASPI-style bus holding
// the drives that the environment describes.
#include "aspi.h"
#include "drive_config.h"
#include "request_log.h"
#include "virtual_drive.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>
#include <set>
#include <sys/eventfd.h>
#include <thread>

namespace vrec {

namespace {

class TBus {
public:
    explicit TBus(const TBusConfig& Config)
        : FLog(Config.LogFile), FAsync(Config.Async), FMaxTransfer(Config.MaxTransfer)
    {
        for (const std::string& error : Config.Errors)
            FLog.Note("ignored setting \"" + error + "\"");
        for (const TDriveConfig& drive : Config.Drives)
            FDrives.push_back(std::make_unique<TVirtualDrive>(drive));
        for (const auto& drive : FDrives)
            FAdapterCount = std::max<int>(FAdapterCount, drive->Config().Adapter + 1);
        if (FAsync)
            FWorker = std::thread([this] { Work(); });
    }

    ~TBus()
    {
        {
            std::lock_guard lock(FMutex);
            FStopping = true;
        }
        FWake.notify_all();
        if (FWorker.joinable())
            FWorker.join();
    }

    uint32_t SupportInfo() const
    {
        return FAdapterCount == 0 ? uint32_t(SS_NO_ADAPTERS) << 8 : (uint32_t(SS_COMP) << 8) | uint32_t(FAdapterCount);
    }

    uint32_t Send(void* Srb)
    {
        auto* header = static_cast<SRB_Header*>(Srb);
        std::unique_lock lock(FMutex);
        switch (header->SRB_Cmd) {
        case SC_HA_INQUIRY: header->SRB_Status = HostAdapterInquiry(*static_cast<SRB_HAInquiry*>(Srb)); break;
        case SC_GET_DEV_TYPE: header->SRB_Status = DeviceType(*static_cast<SRB_GDEVBlock*>(Srb)); break;
        case SC_EXEC_SCSI_CMD: return Submit(*static_cast<SRB_ExecSCSICmd*>(Srb));
        case SC_ABORT_SRB: header->SRB_Status = Abort(static_cast<SRB_Abort*>(Srb)->SRB_ToAbort); break;
        case SC_GET_DISK_INFO: header->SRB_Status = DiskInfo(*static_cast<SRB_GetDiskInfo*>(Srb)); break;
        default: header->SRB_Status = SS_INVALID_CMD;
        }
        return header->SRB_Status;
    }

private:
    TVirtualDrive* Find(uint8_t HaId, uint8_t Target, uint8_t Lun)
    {
        for (const auto& drive : FDrives) {
            const TDriveConfig& config = drive->Config();
            if (config.Adapter == HaId && config.Target == Target && config.Lun == Lun)
                return drive.get();
        }
        return nullptr;
    }

    uint8_t HostAdapterInquiry(SRB_HAInquiry& Srb)
    {
        Srb.HA_Count = uint8_t(FAdapterCount);
        if (Srb.SRB_HaId >= FAdapterCount)
            return SS_INVALID_HA;
        Srb.HA_SCSI_ID = 7;
        std::memcpy(Srb.HA_ManagerId, "VIRTUAL ASPI    ", 16);
        std::memset(Srb.HA_Identifier, 0, sizeof Srb.HA_Identifier);
        std::memcpy(Srb.HA_Identifier, "VIRTUAL BUS ", 12);
        Srb.HA_Identifier[12] = char('0' + Srb.SRB_HaId);
        std::memset(Srb.HA_Unique, 0, sizeof Srb.HA_Unique);
        Srb.HA_Unique[3] = 8;
        std::memcpy(Srb.HA_Unique + 4, &FMaxTransfer, 4);
        return SS_COMP;
    }

    uint8_t DeviceType(SRB_GDEVBlock& Srb)
    {
        TVirtualDrive* drive = Find(Srb.SRB_HaId, Srb.SRB_Target, Srb.SRB_Lun);
        Srb.SRB_DeviceType = drive ? drive->Config().PeripheralType : 0x1F;
        return drive ? SS_COMP : SS_NO_DEVICE;
    }

    uint8_t DiskInfo(SRB_GetDiskInfo& Srb)
    {
        TVirtualDrive* drive = Find(Srb.SRB_HaId, Srb.SRB_Target, Srb.SRB_Lun);
        if (!drive)
            return SS_NO_DEVICE;
        if (!drive->Config().Letter)
            return SS_ERR;
        Srb.SRB_Int13HDriveInfo = uint8_t(drive->Config().Letter - 'A');
        return SS_COMP;
    }

    uint32_t Submit(SRB_ExecSCSICmd& Srb)
    {
        TVirtualDrive* drive = Find(Srb.SRB_HaId, Srb.SRB_Target, Srb.SRB_Lun);
        if (!drive)
            return Srb.SRB_Status = SS_NO_DEVICE;
        if (Srb.SRB_BufLen > FMaxTransfer)
            return Srb.SRB_Status = SS_BUFFER_TO_BIG;
        const int hang = drive->Config().HangOpcode;
        if (hang == Srb.CDBByte[0] && !FHung.count(drive)) {
            FHung.insert(drive);
            FPending.insert(&Srb);
            FLog.Request(Srb, SS_PENDING, "never completes");
            return Srb.SRB_Status = SS_PENDING;
        }
        if (FAsync && (Srb.SRB_Flags & SRB_EVENT_NOTIFY)) {
            Srb.SRB_Status = SS_PENDING;
            FPending.insert(&Srb);
            FQueue.push_back(&Srb);
            FWake.notify_one();
            return SS_PENDING;
        }
        Complete(Srb, *drive);
        return Srb.SRB_Status;
    }

    // Runs the command and publishes its outcome; the event is signalled last.
    void Complete(SRB_ExecSCSICmd& Srb, TVirtualDrive& Drive)
    {
        TOutcome outcome = Drive.Execute(Srb.CDBByte, Srb.SRB_BufPointer, Srb.SRB_BufLen);
        std::memset(Srb.SenseArea, 0, sizeof Srb.SenseArea);
        Srb.SRB_HaStat = outcome.HostError ? 0x12 : HASTAT_OK;  // data over- or underrun
        Srb.SRB_TargStat = outcome.TargetStatus;
        if (outcome.TargetStatus == STATUS_CHKCOND)
            std::memcpy(Srb.SenseArea, outcome.Sense.data(), std::min<size_t>(Srb.SRB_SenseLen, outcome.Sense.size()));
        const bool good = outcome.TargetStatus == STATUS_GOOD && !outcome.HostError;
        const uint8_t status = good ? SS_COMP : SS_ERR;
        FLog.Request(Srb, status, "");
        std::atomic_ref<uint8_t>(Srb.SRB_Status).store(status);
        if ((Srb.SRB_Flags & SRB_EVENT_NOTIFY) && Srb.SRB_PostProc > 0)
            eventfd_write(int(Srb.SRB_PostProc), 1);
    }

    uint8_t Abort(void* Target)
    {
        auto* srb = static_cast<SRB_ExecSCSICmd*>(Target);
        if (!FPending.erase(srb))
            return SS_ABORT_FAIL;
        FQueue.erase(std::remove(FQueue.begin(), FQueue.end(), srb), FQueue.end());
        FLog.Note("request aborted");
        return SS_COMP;
    }

    void Work()
    {
        std::unique_lock lock(FMutex);
        while (true) {
            FWake.wait(lock, [this] { return FStopping || !FQueue.empty(); });
            if (FStopping)
                return;
            SRB_ExecSCSICmd* srb = FQueue.front();
            FQueue.pop_front();
            FPending.erase(srb);
            if (TVirtualDrive* drive = Find(srb->SRB_HaId, srb->SRB_Target, srb->SRB_Lun))
                Complete(*srb, *drive);
        }
    }

    std::vector<std::unique_ptr<TVirtualDrive>> FDrives;
    int FAdapterCount = 0;
    TRequestLog FLog;
    bool FAsync;
    uint32_t FMaxTransfer;  // reported by the adapter inquiry and enforced on every request
    std::mutex FMutex;
    std::condition_variable FWake;
    std::deque<SRB_ExecSCSICmd*> FQueue;
    std::set<void*> FPending;           // requests not yet completed (queued or hung)
    std::set<TVirtualDrive*> FHung;     // drives whose one hanging request was used
    bool FStopping = false;
    std::thread FWorker;
};

std::mutex BusMutex;
std::unique_ptr<TBus> Bus;

TBus& ActiveBus()
{
    std::lock_guard lock(BusMutex);
    if (!Bus)
        Bus = std::make_unique<TBus>(ReadBusConfig());
    return *Bus;
}

}  // namespace

}  // namespace vrec

// Starts the bus again from the environment, like a power cycle, and reports the adapters.
extern "C" __attribute__((visibility("default"))) uint32_t GetASPI32SupportInfo(void)
{
    {
        std::lock_guard lock(vrec::BusMutex);
        vrec::Bus.reset();
        vrec::Bus = std::make_unique<vrec::TBus>(vrec::ReadBusConfig());
    }
    return vrec::ActiveBus().SupportInfo();
}

extern "C" __attribute__((visibility("default"))) uint32_t SendASPI32Command(void* Srb)
{
    if (!Srb)
        return SS_INVALID_SRB;
    return vrec::ActiveBus().Send(Srb);
}
