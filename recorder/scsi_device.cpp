// TSCSIDevice: discovery of the drives on the buses, selection, and single requests.
#include "scsi_device.h"

#include "passthrough_linux.h"
#include "scsi_texts.h"
#include "transport.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace {

constexpr int MinimumTimeoutMs = 10000;
constexpr char InvalidDeviceText[] = "INVALID DEVICE ID / NOT A CD OR DVD DRIVE";

// Failed requests with these operation codes write no trace line: they fail in normal use
// (probing, polling, waiting for a disc).
bool IsQuietCommand(uint8_t OpCode)
{
    static constexpr uint8_t quiet[] = {0x00, 0x01, 0x12, 0x1B, 0x23, 0x35, 0x43,
                                        0x46, 0x51, 0x52, 0x5A, 0x5C, 0xB6, 0xBB};
    return std::find(std::begin(quiet), std::end(quiet), OpCode) != std::end(quiet);
}

std::string Hex(unsigned Value, int Digits)
{
    char text[16];
    std::snprintf(text, sizeof text, "%0*X", Digits, Value);
    return text;
}

// Text of a fixed-size, possibly unterminated character field.
std::string FieldText(const char* Field, size_t Size)
{
    return std::string(Field, strnlen(Field, Size));
}

// A completion event: an eventfd that the transport signals. Never descriptor 0, which
// the request block reserves for "no event". Not blocking, so that it can be emptied.
int CreateCompletionEvent()
{
    int fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (fd == 0) {
        int moved = fcntl(fd, F_DUPFD_CLOEXEC, 1);
        close(fd);
        fd = moved;
    }
    return fd;
}

}  // namespace

TSCSIDevice::TSCSIDevice(void* Owner) : FOwner(Owner), FCancelEvent(CreateCompletionEvent())
{
    if (TransportInitialized()) {
        HostAdapterInquiry(0);
        ScanBus();
    }
}

TSCSIDevice::~TSCSIDevice()
{
    if (FCompletionEvent > 0)
        close(FCompletionEvent);
    if (FCancelEvent > 0)
        close(FCancelEvent);
}

bool TSCSIDevice::InitializeASPI(bool PreferSPTI)
{
    if (!StartTransport(PreferSPTI))
        return false;
    HostAdapterInquiry(0);
    ScanBus();
    return true;
}

bool TSCSIDevice::ASPIInitialized() const
{
    return TransportInitialized();
}

void TSCSIDevice::HostAdapterInquiry(uint8_t AHaId)
{
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = AHaId;
    SendASPI32Command(&srb);
    if (srb.SRB_Status == SS_COMP) {
        FAdapterCount = int8_t(srb.HA_Count == 0 ? 7 : srb.HA_Count);
        FHaManagerId = FieldText(srb.HA_ManagerId, sizeof srb.HA_ManagerId);
        FHaIdentifier = FieldText(srb.HA_Identifier, sizeof srb.HA_Identifier);
    } else {
        FAdapterCount = int8_t(0xFF);
        FHaManagerId.clear();
        FHaIdentifier.clear();
    }
}

uint32_t TSCSIDevice::AdapterMaxTransfer()
{
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = FHaId;
    SendASPI32Command(&srb);
    if (srb.SRB_Status != SS_COMP)
        return 0;
    uint32_t bytes;
    std::memcpy(&bytes, srb.HA_Unique + 4, sizeof bytes);  // bytes 4-7 of the adapter's own data
    return bytes;
}

void TSCSIDevice::ScanBus()
{
    FDeviceList.clear();
    const uint8_t keptHaId = FHaId, keptTarget = FTarget, keptLun = FLun;
    FLun = 0;
    DebugMessage(">>> " + TransportName(), 1);
    const int adapters = FAdapterCount;  // signed: the failure value FFh scans nothing
    for (int adapter = 0; adapter < adapters; ++adapter) {
        HostAdapterInquiry(uint8_t(adapter));
        DebugMessage(">>> " + FHaManagerId + " (" + TrimBlanks(FHaIdentifier) + ")", 1);
        for (uint8_t target = 0; target < 8; ++target)
            for (uint8_t lun = 0; lun < 8; ++lun) {
                FHaId = uint8_t(adapter);
                FTarget = target;
                FLun = lun;
                FInquiryData.fill(0);
                if (!Inquiry())
                    continue;
                uint8_t type = FInquiryData[0];
                if (type != 0x05 && type != 0x04)
                    continue;
                char letter = DriveLetter();
                std::string id = std::to_string(adapter) + ":" + std::to_string(target) + ":" +
                                 std::to_string(lun) + "," + (letter ? std::string(1, letter) : "?") + ": " +
                                 std::string(reinterpret_cast<const char*>(&FInquiryData[8]), 28);
                if (type == 0x04)
                    id += " (not supported)";
                FDeviceList.push_back(id);
            }
    }
    FHaId = keptHaId;
    FTarget = keptTarget;
    FLun = keptLun;
    FLastError.clear();
}

char TSCSIDevice::DriveLetter()
{
    for (char letter = 'B'; letter <= 'Z'; ++letter) {
        int handle = OpenDriveLetter(letter);
        if (handle < 0)
            continue;
        TScsiAddress address;
        bool known = DeviceNodes().GetAddress(handle, address);
        DeviceNodes().Close(handle);
        if (known && address.PortNumber == FHaId && address.TargetId == FTarget)
            return letter;
    }
    SRB_GetDiskInfo srb{};
    srb.SRB_Cmd = SC_GET_DISK_INFO;
    srb.SRB_HaId = FHaId;
    srb.SRB_Target = FTarget;
    srb.SRB_Lun = FLun;
    SendASPI32Command(&srb);
    if (srb.SRB_Status == SS_COMP)
        return char('A' + srb.SRB_Int13HDriveInfo);
    return 0;
}

bool TSCSIDevice::SelectDriveLetter(char Letter)
{
    int handle = OpenDriveLetter(Letter);
    if (handle < 0)
        return SelectListedLetter(Letter);
    TScsiAddress address;
    bool known = DeviceNodes().GetAddress(handle, address);
    DeviceNodes().Close(handle);
    if (!known)
        return false;
    SelectDevice(std::to_string(address.PortNumber) + ":" + std::to_string(address.TargetId) + ":" +
                 std::to_string(address.Lun) + "," + Letter + ":");
    return true;
}

// Drives of an ASPI-style library have no device node; their letters come from the library's
// disk information and stand in the device list, so the list is where to find them.
bool TSCSIDevice::SelectListedLetter(char Letter)
{
    if (TransportName() != "WNASPI32.DLL")
        return false;
    for (const std::string& id : FDeviceList)
        if (id.size() > 7 && id[6] == Letter && id[7] == ':') {
            SelectDevice(id);
            return true;
        }
    return false;
}

void TSCSIDevice::SelectDevice(const std::string& ID)
{
    auto isDigit = [&](size_t i) { return ID[i] >= '0' && ID[i] <= '9'; };
    if (ID.size() < 5 || !isDigit(0) || !isDigit(2) || !isDigit(4)) {
        if (!ID.empty())
            DebugMessage(InvalidDeviceText, 0);
        ClearSelection();
        return;
    }
    FHaId = uint8_t(ID[0] - '0');
    FTarget = uint8_t(ID[2] - '0');
    FLun = uint8_t(ID[4] - '0');
    FDeviceID = ID;
    // The capabilities read below must not inherit the previous drive's model flags.
    FLinkSizeQuirk = false;
    FSlowFinalizeQuirk = false;
    if (ReadDeviceInfo() && (FPeripheralType == 0x05 || FPeripheralType == 0x04)) {
        SetModelFlags();
        if (OnDeviceChange)
            OnDeviceChange(this);
        return;
    }
    DebugMessage(InvalidDeviceText, 0);
    ClearSelection();
}

void TSCSIDevice::ClearSelection()
{
    FHaId = FTarget = FLun = NoDevice;
    FDeviceID.clear();
    FDeviceDescription.clear();
    FPeripheralType = 0x7F;
}

uint8_t TSCSIDevice::ExecuteSRB(SRB_ExecSCSICmd& Srb, int TimeoutMs)
{
    FLastError.clear();
    FTargetBusy = false;
    FSenseData.fill(0);
    if (!TransportInitialized() || FHaId == NoDevice)
        return SS_NO_ASPI;

    // One event serves every request of this device (one request at a time): creating and
    // closing one for each request would cost two system calls on every block group written.
    int event = -1;
    Srb.SRB_PostProc = 0;
    if (Srb.SRB_Flags & SRB_EVENT_NOTIFY) {
        if (FCompletionEvent < 0)
            FCompletionEvent = CreateCompletionEvent();
        event = FCompletionEvent;
        if (event > 0)
            Srb.SRB_PostProc = event;
    }
    Srb.SRB_Cmd = SC_EXEC_SCSI_CMD;
    Srb.SRB_HaId = FHaId;
    Srb.SRB_Target = FTarget;
    Srb.SRB_Lun = FLun;
    Srb.SRB_SenseLen = SENSE_LEN;
    Srb.CDBByte[1] = uint8_t((Srb.CDBByte[1] & 0x1F) | (FLun << 5));
    TimeoutMs = std::max(TimeoutMs, MinimumTimeoutMs);
    // The pass-through layer gives every command its own time-out, whatever was asked here,
    // and the kernel reports when it runs out; a shorter wait would give up a command that
    // the drive is still allowed to finish.
    if (TransportName() == "PTASPI32")
        TimeoutMs = std::max(TimeoutMs, PassThroughWaitLimitMs);

    SendASPI32Command(&Srb);
    auto pending = [&Srb] { return std::atomic_ref<uint8_t>(Srb.SRB_Status).load() == SS_PENDING; };
    if (event > 0 && pending()) {
        // Signals of requests that completed at once are still counted: empty the event first.
        // The transport sets the status before it signals, so a completion that comes after
        // this point is either seen below or wakes the wait.
        eventfd_t stale = 0;
        (void)eventfd_read(event, &stale);
        AwaitCompletion(Srb, event, TimeoutMs);
    }

    uint8_t status = std::atomic_ref<uint8_t>(Srb.SRB_Status).load();
    // A drive that answers has stopped keeping us waiting; REQUEST SENSE always answers, even
    // while the drive is not ready.
    if (status == SS_COMP && Srb.CDBByte[0] != 0x03)
        DriveAnswered();
    if (status != SS_COMP && status != SS_PENDING) {
        BuildLastError(Srb);
        bool longWrite = Srb.SenseArea[12] == 0x04 && Srb.SenseArea[13] == 0x08;
        if (!IsQuietCommand(Srb.CDBByte[0]) && !longWrite)
            DebugMessage(TraceLine(Srb), 0);
    }
    if (status == SS_PENDING) {
        // Give the request up at the transport before its block goes away.
        SRB_Abort abort{};
        abort.SRB_Cmd = SC_ABORT_SRB;
        abort.SRB_HaId = FHaId;
        abort.SRB_ToAbort = &Srb;
        SendASPI32Command(&abort);
        Srb.SRB_Status = SS_ERR;
        Srb.SRB_HaStat = HASTAT_TIMEOUT;
    }
    Srb.SRB_PostProc = 0;
    return SS_COMP;
}

void TSCSIDevice::BuildLastError(const SRB_ExecSCSICmd& Srb)
{
    std::string text = StatusText(Srb.SRB_Status, Srb.SRB_HaStat, Srb.SRB_TargStat);
    if (text == "TARGET BUSY")
        FTargetBusy = true;
    if (text == "CHECK CONDITION") {
        text = SenseKeyText(Srb.SenseArea);
        std::copy_n(Srb.SenseArea, SENSE_LEN, FSenseData.begin());
        if (Srb.SenseArea[7] != 0)
            text += " (" + AdditionalSenseText(Srb.SenseArea[12], Srb.SenseArea[13]) + ")";
    }
    FLastError = text;
}

std::string TSCSIDevice::TraceLine(const SRB_ExecSCSICmd& Srb) const
{
    std::string line = "<<< " + CommandNames(Srb.CDBByte[0]) + " ";
    line += "(" + Hex(Srb.CDBByte[0], 2) + ") {" + Hex(Srb.SRB_Flags, 2) + "|" + Hex(Srb.SRB_CDBLen, 2) + "} - ";
    line += std::to_string(Srb.SRB_HaId) + ":" + Hex(Srb.SRB_Target, 1) + ":" + std::to_string(Srb.SRB_Lun);
    line += " <" + Hex(Srb.SRB_Status, 2) + ">" + " [" + Hex(Srb.SRB_BufLen, 4) + "]" + " ";
    for (int i = 1; i < 16; ++i)
        line += Hex(Srb.CDBByte[i], 2) + " ";
    line += " | ";
    if (Srb.SRB_BufLen != 0 && Srb.SRB_BufPointer) {
        uint32_t shown = std::min<uint32_t>(Srb.SRB_BufLen, 257);
        for (uint32_t i = 0; i < shown; ++i)
            line += Hex(Srb.SRB_BufPointer[i], 2) + " ";
    }
    line += "= " + Hex(Srb.SRB_HaStat, 2) + " " + Hex(Srb.SRB_TargStat, 2) + " " + Hex(Srb.SenseArea[0], 2) +
            " " + Hex(Srb.SenseArea[2], 2) + " " + "ASC:" + Hex(Srb.SenseArea[12], 2) + ",ASQ:" +
            Hex(Srb.SenseArea[13], 2) + " " + FLastError;
    return line;
}

void TSCSIDevice::DebugMessage(const std::string& Text, uint8_t Kind)
{
    if (DebugWindow)
        DebugWindow->AddLine(Text);
    if (OnDebugMessage)
        OnDebugMessage(this, Text, Kind);
}
