// The built-in pass-through layer ("PTASPI32"): carries ASPI-style requests out with SG_IO on
// the CD drive nodes /dev/sr0, /dev/sr1, ... which stand for the drive letters D, E, ...
#pragma once

#include <string>

#include <cstdint>
#include <scsi/sg.h>

// SCSI address of a drive node (host number, channel, target id, lun).
struct TScsiAddress {
    uint8_t PortNumber = 0;
    uint8_t PathId = 0;
    uint8_t TargetId = 0;
    uint8_t Lun = 0;
};

// The device-node calls the pass-through layer and drive-letter lookups make. The default
// talks to the kernel; tests install their own to play drives that this machine lacks.
class TDeviceNodes {
public:
    virtual ~TDeviceNodes() = default;
    virtual bool IsCDDrive(char Letter) = 0;              // the letter's node exists and is a CD drive
    virtual int Open(char Letter, bool ReadWrite) = 0;    // a handle, or -1
    virtual bool SendCommand(int Handle, sg_io_hdr_t& Io) = 0;  // SG_IO; false when the call fails
    virtual bool GetAddress(int Handle, TScsiAddress& Address) = 0;
    virtual void Close(int Handle) = 0;
    // The most bytes the system moves for the drive in one command; 0 when it does not say.
    virtual uint32_t TransferLimit(int) { return 0; }
};

TDeviceNodes& DeviceNodes();
void SetDeviceNodes(TDeviceNodes* Nodes);  // nullptr restores the kernel's

// The device node of a drive letter of the pass-through layer: D is /dev/sr0, E /dev/sr1 ...
std::string DriveNodePath(char Letter);
// Opens a drive letter's node for reading and writing, else for reading only; -1 when neither works.
int OpenDriveLetter(char Letter);

// The time-out the layer gives every command it sends, whatever the caller asked for; the
// kernel ends the command itself when it runs out.
constexpr int PassThroughTimeoutMs = 120 * 1000;
// How long a caller waits for a request of the layer before it gives the request up: the
// command's time-out, and then a minute for the kernel to recover the drive and report it.
constexpr int PassThroughWaitLimitMs = PassThroughTimeoutMs + 60 * 1000;

// When set, the layer closes a drive's handle after every request (the recording engine sets it
// from the finalisation on and clears it for its write loop).
extern bool CloseAfterCommand;

// Enumerates the CD drives once (until PassThroughReset); the result is the number of drives
// found, 0 when the enumeration already ran.
int PassThroughEnumerate();
// Closes every open drive handle, clears the drive table and the enumerated flag.
void PassThroughReset();

uint32_t PassThroughGetSupportInfo();
// Requests with a completion event (SRB_PostProc) stay pending while a request thread carries
// them out; an abort request (SC_ABORT_SRB) gives such a request up, and the drive's next
// requests are sent once its system call has returned.
uint32_t PassThroughSendCommand(void* Srb);
