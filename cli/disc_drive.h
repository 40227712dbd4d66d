// The recorder side of fotolark-disc: finding the recorder, waiting for a disc, and the list
// of drives with what each can write.
#pragma once

#include "mcdburner.h"

#include <csignal>
#include <ostream>
#include <string>

// Starts the SCSI transport and selects the recorder behind `letter`; false with a reason.
bool OpenRecorder(TMCDBurner& burner, char letter, std::string& error);

// Waits for a disc as the CD window does: up to ten seconds, then, after asking for a blank
// disc on stderr, until the drive is ready or `stop` is set. False when stopped.
bool WaitForDisc(TMCDBurner& burner, const volatile std::sig_atomic_t& stop);

// Every drive on the buses, one line each, followed by what it can write.
std::string DriveListText(TMCDBurner& burner);

// Writes a line to `out` each time the drive keeps the tool waiting for a while (first after
// 10 s, then every 30 s). `afterProgress`: a progress line without an end stands there.
void PrintDriveWaits(TMCDBurner& burner, std::ostream& out, bool afterProgress);

// What Ctrl-C does to a running job: it aborts the job, but while the disc is being finalized
// the first one only warns, on `out`, and the next one aborts.
class TJobInterrupts {
public:
    // True when the job is to be aborted now.
    bool ShouldAbort(bool finalizing, std::ostream& out);

private:
    bool FWarned = false;
};
