// The state of the one disc job a process runs at a time.
#pragma once

#include "cache_thread.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

class TMCDBurner;

struct TJobState {
    TMCDBurner* Component = nullptr;
    std::unique_ptr<TCacheThread> CacheThread;  // the job's producer; cleared when the job ends
    std::atomic<bool> Abort{false};
    std::thread Recorder;  // the running or last recording thread, joined before the next job
    std::mutex EndLock;    // the critical section around the job's end events
};

TJobState& Job();
