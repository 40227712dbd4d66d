// Requests of the pass-through layer. SG_IO blocks its caller for as long as the drive takes
// (up to the kernel's time-out, and longer while the kernel recovers), so a request that comes
// with a completion event runs on a request thread instead: the caller waits on the event and
// can report the wait or give the request up, while the system call goes on in the background.
#pragma once

#include "aspi.h"
#include "passthrough_linux.h"

#include <memory>

// A drive handle shared by the drive table and the requests under way on it. It is closed when
// the last holder lets it go, never while a system call still uses it: a closed descriptor
// number may be reused at once, and a late call would then reach another file.
using TSharedHandle = std::shared_ptr<const int>;
TSharedHandle ShareHandle(int Handle);  // closed through the device nodes active now

// Runs the block's command on the calling thread; the result is the block's new SRB_Status.
uint8_t RunRequestNow(SRB_ExecSCSICmd& Srb, int Handle);

// Starts the block's command on a request thread and returns SS_PENDING, which SRB_Status holds
// until that thread has filled in the results and signalled the event in SRB_PostProc. The
// drive gets its commands one at a time, in the order they were started. The
// request works on copies of the command, the data and the sense, so the caller's buffers are
// touched only when the results are handed over. SS_ERR when no thread could be started.
uint8_t StartRequest(SRB_ExecSCSICmd& Srb, TSharedHandle Handle, int Drive);

// Gives up a pending request: once this returns, the request no longer touches the block, its
// buffer or its event. The command itself ends on the drive in the background and its result
// is dropped. False when the block has no request under way (it has completed already).
bool AbandonRequest(const void* Srb);

// Whether a request is still under way on the drive (index of its letter, A = 0).
bool RequestUnderWay(int Drive);

// Waits until no request is under way on any drive, at most TimeoutMs; false when some still is.
bool WaitForRequests(int TimeoutMs);
