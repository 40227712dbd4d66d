#include "passthrough_linux.h"

#include "aspi.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <fcntl.h>
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
constexpr unsigned PassThroughTimeoutMs = 120 * 1000;  // whatever the caller asked for
constexpr uint8_t UnassignedLun = 0xFA;
constexpr uint8_t CDROMMajor = 11;  // the sr driver's block major
constexpr uint8_t DriverSense = 0x08;


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
    int Handle = InvalidHandle;
    std::array<uint8_t, 40> Inquiry{};
};

struct TDriveTable {
    uint8_t AdapterCount = 0;
    std::array<TDriveEntry, 26> Entries{};  // indexed by drive letter, A = 0
};

TDriveTable DriveTable;
bool Enumerated = false;
uint8_t NoAddressCount = 0;

void CloseEntryHandle(TDriveEntry& Entry)
{
    if (Entry.Handle != InvalidHandle)
        DeviceNodes().Close(Entry.Handle);
    Entry.Handle = InvalidHandle;
}

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

void ProbeDrive(char Letter)
{
    int handle = OpenDriveLetter(Letter);
    if (handle == InvalidHandle)
        return;
    TDriveEntry& entry = DriveTable.Entries[Letter - 'A'];
    if (!ProbeInquiry(handle, entry.Inquiry)) {
        DeviceNodes().Close(handle);
        return;
    }
    TScsiAddress address;
    if (DeviceNodes().GetAddress(handle, address)) {
        entry.Adapter = address.PortNumber;
        entry.Target = address.TargetId;
        entry.Lun = address.Lun;
    } else {
        entry.Adapter = 0;
        entry.Target = NoAddressCount++;
        entry.Lun = UnassignedLun;
    }
    entry.Present = true;
    entry.LetterIndex = uint8_t(Letter - 'A');
    entry.Handle = InvalidHandle;
    DeviceNodes().Close(handle);
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
    const uint32_t maxTransfer = 0x00FF0000;
    std::memcpy(Srb.HA_Unique + 4, &maxTransfer, 4);
    return SS_COMP;
}

uint8_t DeviceType(SRB_GDEVBlock& Srb)
{
    bool found = FindEntry(Srb.SRB_HaId, Srb.SRB_Target, Srb.SRB_Lun) != nullptr;
    Srb.SRB_DeviceType = found ? 0x05 : 0x1F;
    return found ? SS_COMP : SS_NO_DEVICE;
}

int DirectionOf(uint8_t Flags, uint32_t Length)
{
    if (Flags & SRB_DIR_IN)
        return SG_DXFER_FROM_DEV;
    if (Flags & SRB_DIR_OUT)
        return SG_DXFER_TO_DEV;
    return Length ? SG_DXFER_TO_FROM_DEV : SG_DXFER_NONE;  // direction left to the drive
}

uint8_t ExecuteOnDrive(SRB_ExecSCSICmd& Srb, TDriveEntry& Entry)
{
    if (Entry.Handle == InvalidHandle)
        Entry.Handle = OpenDriveLetter(char('A' + Entry.LetterIndex));
    if (Entry.Handle == InvalidHandle)
        return SS_ERR;
    uint8_t sense[SENSE_LEN] = {};
    sg_io_hdr_t io{};
    io.interface_id = 'S';
    io.dxfer_direction = DirectionOf(Srb.SRB_Flags, Srb.SRB_BufLen);
    io.cmd_len = std::min<uint8_t>(Srb.SRB_CDBLen, 16);
    io.cmdp = Srb.CDBByte;
    io.dxfer_len = Srb.SRB_BufLen;
    io.dxferp = Srb.SRB_BufPointer;
    io.mx_sb_len = std::min<uint8_t>(Srb.SRB_SenseLen, SENSE_LEN);
    io.sbp = sense;
    io.timeout = PassThroughTimeoutMs;
    bool called = DeviceNodes().SendCommand(Entry.Handle, io);
    // A transport failure (time-out, reset, lost device) shows in the host and driver status,
    // not in the SCSI status, so it must fail the request too.
    bool transportOk = io.host_status == 0 && (io.driver_status & ~DriverSense) == 0;
    uint8_t status = SS_COMP;
    if (!called || !transportOk || io.status != 0 || (io.sb_len_wr != 0 && io.sb_len_wr != SENSE_LEN)) {
        status = SS_ERR;
        std::memcpy(Srb.SenseArea, sense, std::min<size_t>(io.sb_len_wr, SENSE_LEN));
        Srb.SRB_TargStat = io.status;
        if (called && io.host_status == 0x03)  // the kernel's DID_TIME_OUT
            Srb.SRB_HaStat = HASTAT_TIMEOUT;
    }
    if (CloseAfterCommand)
        CloseEntryHandle(Entry);
    return status;
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
    for (TDriveEntry& entry : DriveTable.Entries)
        CloseEntryHandle(entry);
    DriveTable = TDriveTable{};
    NoAddressCount = 0;
    for (char letter = 'C'; letter <= 'Z'; ++letter)
        if (DeviceNodes().IsCDDrive(letter))
            ProbeDrive(letter);
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
    for (TDriveEntry& entry : DriveTable.Entries)
        CloseEntryHandle(entry);
    DriveTable = TDriveTable{};
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
    case SC_EXEC_SCSI_CMD:
        header->SRB_Status = Execute(*static_cast<SRB_ExecSCSICmd*>(Srb));
        break;
    case SC_GET_DISK_INFO:
        header->SRB_Status = SS_PENDING;  // no BIOS drive numbers here; callers read it as failure
        break;
    default:
        header->SRB_Status = SS_ERR;
    }
    return header->SRB_Status;
}
