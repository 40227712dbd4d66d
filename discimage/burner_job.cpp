// Starting, aborting and waiting for a disc job.
#include "job_state.h"
#include "mcdburner.h"
#include "write_thread.h"

#include <chrono>

TJobState& Job() {
    static TJobState state;
    return state;
}

void TMCDBurner::WriteISOFile(const std::string& FileName) {
    ISOFileName = FileName;
    StartJob(true);
}

bool TMCDBurner::BurnCD() {
    return StartJob(false);
}

bool TMCDBurner::StartJob(bool ToFile) {
    WaitForJob();
    TJobState& job = Job();
    job.Component = this;
    // Cleared here rather than by the recording thread, so that an abort made as soon as
    // this call returns cannot be lost.
    job.Abort = false;
    ResumeDriveWaits();
    job.CacheThread = std::make_unique<TCacheThread>(CacheSize(), WritePostGap, FTrackSectors * 2048,
                                                     std::move(FHeaderStream));
    FHeaderStream.clear();
    job.CacheThread->Start();
    for (;;) {
        if (job.CacheThread->Ready()) {
            job.Recorder = std::thread([this, ToFile] { TThWrite(*this, ToFile).Execute(); });
            return true;
        }
        const std::string error = job.CacheThread->ErrorText();
        if (!error.empty()) {
            job.CacheThread.reset();
            if (OnWriteDone) OnWriteDone(this, error);
            return false;
        }
        job.CacheThread->WaitForReady(std::chrono::milliseconds(100));
    }
}

void TMCDBurner::AbortWrite() {
    Job().Abort = true;
    // A drive that stopped answering would otherwise hold the job for minutes.
    CancelDriveWaits();
}

void TMCDBurner::WaitForJob() {
    std::thread& recorder = Job().Recorder;
    if (!recorder.joinable()) return;
    // Called from the job's own end event: the thread is about to end by itself.
    if (recorder.get_id() == std::this_thread::get_id()) recorder.detach();
    else recorder.join();
}
