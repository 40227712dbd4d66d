#include "passthrough_linux.h"

#include "aspi.h"
#include "passthrough_requests.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <scsi/scsi.h>
#include <scsi/scsi_ioctl.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

bool CloseAfterCommand = false;

// The drive letter D stands for /dev/sr0, E for /dev/sr1, and so on.
std::string DriveNodePath(char Letter)
{
    return "/dev/sr" + std::to_string(Letter - 'D');
}

namespace {

constexpr int InvalidHandle = -1;
constexpr uint8_t UnassignedLun = 0xFA;
constexpr uint8_t CDROMMajor = 11;  // the sr driver's block major


class TKernelNodes : public TDeviceNodes {
public:
    bool IsCDDrive(char Letter) override
    {
        struct stat info {};
        return Letter >= 'D' && Letter <= 'Z' && stat(DriveNodePath(Letter).c_str(), &info) == 0 &&
               S_ISBLK(info.st_mode) && major(info.st_rdev) == CDROMMajor;
    }
    int Open(char Letter, bool ReadWrite) override
    {
        if (Letter < 'D' || Letter > 'Z')
            return InvalidHandle;
        // Non-blocking, so that a drive without a disc can still be opened.
        int mode = (ReadWrite ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC;
        return open(DriveNodePath(Letter).c_str(), mode);
    }
    bool SendCommand(int Handle, sg_io_hdr_t& Io) override
    {
        return ioctl(Handle, SG_IO, &Io) == 0;
    }
    bool GetAddress(int Handle, TScsiAddress& Address) override
    {
        struct {
            uint32_t DevId;
            uint32_t HostUniqueId;
        } idlun{};
        if (ioctl(Handle, SCSI_IOCTL_GET_IDLUN, &idlun) == 0) {
            Address.TargetId = idlun.DevId & 0xFF;
            Address.Lun = (idlun.DevId >> 8) & 0xFF;
            Address.PathId = (idlun.DevId >> 16) & 0xFF;
            Address.PortNumber = (idlun.DevId >> 24) & 0xFF;
            return true;
        }
        struct sg_scsi_id id {};
        if (ioctl(Handle, SG_GET_SCSI_ID, &id) == 0) {
            Address.PortNumber = uint8_t(id.host_no);
            Address.PathId = uint8_t(id.channel);
            Address.TargetId = uint8_t(id.scsi_id);
            Address.Lun = uint8_t(id.lun);
            return true;
        }
        return false;
    }
    void Close(int Handle) override { close(Handle); }
    uint32_t TransferLimit(int Handle) override
    {
        unsigned short sectors = 0;  // the block layer's request size limit, in 512-byte units
        return ioctl(Handle, BLKSECTGET, &sectors) == 0 ? uint32_t(sectors) * 512 : 0;
    }
};

// Never destroyed: the transport still closes drive handles while the program exits.
TKernelNodes& KernelNodes = *new TKernelNodes;
TDeviceNodes* ActiveNodes = &KernelNodes;

struct TDriveEntry {
    uint8_t Adapter = 0;
    uint8_t Target = 0;
    uint8_t Lun = UnassignedLun;
    uint8_t LetterIndex = 0;
    bool Present = false;
    uint32_t TransferLimit = 0;  // bytes; 0: unknown
    TSharedHandle Handle;  // opened at the drive's first request
    std::array<uint8_t, 40> Inquiry{};
};

// What probing a drive found out: kept, so that a drive still busy with a request that was
// given up need not be probed again (the probe would wait behind that request).
struct TProbe {
    bool Found = false;
    bool HasAddress = false;
    TScsiAddress Address;
    uint32_t TransferLimit = 0;
    std::array<uint8_t, 40> Inquiry{};
};

struct TDriveTable {
    uint8_t AdapterCount = 0;
    std::array<TDriveEntry, 26> Entries{};  // indexed by drive letter, A = 0
};

// Never destroyed: the transport closes the drive handles while the program exits.
TDriveTable& DriveTable = *new TDriveTable;
std::array<TProbe, 26> LastProbes;  // indexed by drive letter, A = 0
bool Enumerated = false;
uint8_t NoAddressCount = 0;

// Asks a freshly opened drive for its INQUIRY data; false when the call itself fails.
bool ProbeInquiry(int Handle, std::array<uint8_t, 40>& Kept)
{
    static std::array<uint8_t, 1025> answer;
    answer.fill(0);
    uint8_t cdb[6] = {0x12, 0, 0, 0, 0x60, 0};
    uint8_t sense[24] = {};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = SG_DXFER_FROM_DEV;
    io.cmd_len = sizeof cdb;
    io.cmdp = cdb;
    io.dxfer_len = 96;
    io.dxferp = answer.data();
    io.mx_sb_len = sizeof sense;
    io.sbp = sense;
    io.timeout = PassThroughTimeoutMs;
    if (!DeviceNodes().SendCommand(Handle, io))
        return false;
    std::copy_n(answer.begin(), Kept.size(), Kept.begin());
    return true;
}

TProbe ProbeDrive(char Letter)
{
    TProbe probe;
    int handle = OpenDriveLetter(Letter);
    if (handle == InvalidHandle)
        return probe;
    probe.Found = ProbeInquiry(handle, probe.Inquiry);
    if (probe.Found) {
        probe.HasAddress = DeviceNodes().GetAddress(handle, probe.Address);
        probe.TransferLimit = DeviceNodes().TransferLimit(handle);
    }
    DeviceNodes().Close(handle);
    return probe;
}

void AddDrive(char Letter, const TProbe& Probe)
{
    TDriveEntry& entry = DriveTable.Entries[Letter - 'A'];
    entry.Inquiry = Probe.Inquiry;
    entry.TransferLimit = Probe.TransferLimit;
    if (Probe.HasAddress) {
        entry.Adapter = Probe.Address.PortNumber;
        entry.Target = Probe.Address.TargetId;
        entry.Lun = Probe.Address.Lun;
    } else {
        entry.Adapter = 0;
        entry.Target = NoAddressCount++;
        entry.Lun = UnassignedLun;
    }
    entry.Present = true;
    entry.LetterIndex = uint8_t(Letter - 'A');
}

void ComputeAdapterCount()
{
    int highest = -1;
    for (const TDriveEntry& entry : DriveTable.Entries)
        if (entry.Present)
            highest = std::max<int>(highest, entry.Adapter);
    DriveTable.AdapterCount = uint8_t(std::max(highest + 1, 1));
}

TDriveEntry* FindEntry(uint8_t Adapter, uint8_t Target, uint8_t Lun)
{
    for (TDriveEntry& entry : DriveTable.Entries)
        if (entry.Present && entry.Adapter == Adapter && entry.Target == Target && entry.Lun == Lun)
            return &entry;
    return nullptr;
}

// 16 MB less 64 KiB, or less where the system moves less for one of the adapter's drives: a
// caller that sizes its requests by it must not be refused by the kernel.
uint32_t AdapterTransferLimit(uint8_t Adapter)
{
    uint32_t limit = 0x00FF0000;
    for (const TDriveEntry& entry : DriveTable.Entries)
        if (entry.Present && entry.Adapter == Adapter && entry.TransferLimit != 0)
            limit = std::min(limit, entry.TransferLimit);
    return limit;
}

uint8_t HostAdapterInquiry(SRB_HAInquiry& Srb)
{
    Srb.HA_Count = DriveTable.AdapterCount;
    if (Srb.SRB_HaId >= DriveTable.AdapterCount)
        return SS_INVALID_HA;
    Srb.HA_SCSI_ID = 7;
    std::memcpy(Srb.HA_ManagerId, "FOTOLARK SG_IO  ", 16);
    std::memset(Srb.HA_Identifier, 0, sizeof Srb.HA_Identifier);
    std::memcpy(Srb.HA_Identifier, "SPTI ", 5);
    Srb.HA_Identifier[5] = char('0' + Srb.SRB_HaId % 10);
    std::memset(Srb.HA_Unique, 0, sizeof Srb.HA_Unique);
    Srb.HA_Unique[0] = 0x07;  // buffer alignment mask 0007h
    Srb.HA_Unique[3] = 8;     // targets per adapter
    const uint32_t maxTransfer = AdapterTransferLimit(Srb.SRB_HaId);
    std::memcpy(Srb.HA_Unique + 4, &maxTransfer, 4);
    return SS_COMP;
}

uint8_t DeviceType(SRB_GDEVBlock& Srb)
{
    bool found = FindEntry(Srb.SRB_HaId, Srb.SRB_Target, Srb.SRB_Lun) != nullptr;
    Srb.SRB_DeviceType = found ? 0x05 : 0x1F;
    return found ? SS_COMP : SS_NO_DEVICE;
}

uint8_t ExecuteOnDrive(SRB_ExecSCSICmd& Srb, TDriveEntry& Entry)
{
    if (!Entry.Handle) {
        int handle = OpenDriveLetter(char('A' + Entry.LetterIndex));
        if (handle == InvalidHandle)
            return SS_ERR;
        Entry.Handle = ShareHandle(handle);
    }
    // Closed after the command: the request is then the handle's last holder.
    TSharedHandle handle = CloseAfterCommand ? std::move(Entry.Handle) : Entry.Handle;
    if (Srb.SRB_PostProc != 0)
        return StartRequest(Srb, std::move(handle), Entry.LetterIndex);
    return RunRequestNow(Srb, *handle);
}

uint8_t Execute(SRB_ExecSCSICmd& Srb)
{
    TDriveEntry* entry = FindEntry(Srb.SRB_HaId, Srb.SRB_Target, Srb.SRB_Lun);
    if (!entry)
        return SS_NO_DEVICE;
    if (Srb.CDBByte[0] != 0x12)
        return ExecuteOnDrive(Srb, *entry);
    // INQUIRY is answered from the enumeration, without touching the drive.
    if (Srb.SRB_HaId >= DriveTable.AdapterCount)
        return SS_INVALID_HA;
    if (Srb.SRB_BufPointer)
        std::memcpy(Srb.SRB_BufPointer, entry->Inquiry.data(), std::min<uint32_t>(Srb.SRB_BufLen, 36));
    return SS_COMP;
}

}  // namespace

TDeviceNodes& DeviceNodes()
{
    return *ActiveNodes;
}

void SetDeviceNodes(TDeviceNodes* Nodes)
{
    ActiveNodes = Nodes ? Nodes : &KernelNodes;
}

int OpenDriveLetter(char Letter)
{
    int handle = DeviceNodes().Open(Letter, true);
    return handle != InvalidHandle ? handle : DeviceNodes().Open(Letter, false);
}

int PassThroughEnumerate()
{
    if (Enumerated)
        return 0;
    DriveTable = TDriveTable{};
    NoAddressCount = 0;
    for (char letter = 'C'; letter <= 'Z'; ++letter) {
        if (!DeviceNodes().IsCDDrive(letter))
            continue;
        TProbe& probe = LastProbes[letter - 'A'];
        if (!probe.Found || !RequestUnderWay(letter - 'A'))
            probe = ProbeDrive(letter);
        if (probe.Found)
            AddDrive(letter, probe);
    }
    ComputeAdapterCount();
    // Drives without a SCSI address go, in letter order, to one extra adapter after the rest.
    if (NoAddressCount > 0) {
        uint8_t extraAdapter = DriveTable.AdapterCount;
        for (TDriveEntry& entry : DriveTable.Entries)
            if (entry.Present && entry.Lun == UnassignedLun) {
                entry.Lun = 0;
                entry.Adapter = extraAdapter;
            }
        ComputeAdapterCount();
    }
    Enumerated = true;
    return int(std::count_if(DriveTable.Entries.begin(), DriveTable.Entries.end(),
                             [](const TDriveEntry& e) { return e.Present; }));
}

void PassThroughReset()
{
    DriveTable = TDriveTable{};  // closes the handles that no request under way holds
    Enumerated = false;
}

uint32_t PassThroughGetSupportInfo()
{
    if (DriveTable.AdapterCount == 0)
        return uint32_t(SS_NO_ADAPTERS) << 8;
    return 0x0100u + DriveTable.AdapterCount;
}

uint32_t PassThroughSendCommand(void* Srb)
{
    auto* header = static_cast<SRB_Header*>(Srb);
    switch (header->SRB_Cmd) {
    case SC_HA_INQUIRY:
        header->SRB_Status = HostAdapterInquiry(*static_cast<SRB_HAInquiry*>(Srb));
        break;
    case SC_GET_DEV_TYPE:
        header->SRB_Status = DeviceType(*static_cast<SRB_GDEVBlock*>(Srb));
        break;
    case SC_EXEC_SCSI_CMD: {
        // A pending request's status belongs to its request thread from here on.
        const uint8_t status = Execute(*static_cast<SRB_ExecSCSICmd*>(Srb));
        if (status != SS_PENDING)
            header->SRB_Status = status;
        return status;
    }
    case SC_ABORT_SRB:
        header->SRB_Status = AbandonRequest(static_cast<SRB_Abort*>(Srb)->SRB_ToAbort) ? SS_COMP : SS_ABORT_FAIL;
        break;
    case SC_GET_DISK_INFO:
        header->SRB_Status = SS_PENDING;  // no BIOS drive numbers here; callers read it as failure
        break;
    default:
        header->SRB_Status = SS_ERR;
    }
    return header->SRB_Status;
}
