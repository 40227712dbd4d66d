#include "mcdburner.h"

#include "job_state.h"

TMCDBurner::TMCDBurner(void* Owner) : TSCSIDevice(Owner) {
    WritePostGap = true;
    ClearTree();
    SetCacheSize(4194304);
    JolietFileSystem = true;
    FinalizeTrack = true;
    UnderrunProtection = true;
}

TMCDBurner::~TMCDBurner() {
    if (Job().Component == this) {
        // A job still running reads this component: stop it and wait for its end.
        if (Job().Recorder.joinable()) AbortWrite();
        WaitForJob();
        Job().Component = nullptr;
    }
    FHeaderStream.clear();
    EmptyTree();
}

void TMCDBurner::SetCacheSize(int32_t Value) {
    FCacheSize = Value < 2097152 ? 2097152 : Value - Value % 2048;
}
