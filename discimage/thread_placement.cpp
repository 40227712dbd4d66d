#include "thread_placement.h"

#include <sched.h>

namespace {

// The last processor in `allowed`, or -1 when fewer than two are allowed.
int RecorderCpu(const cpu_set_t& allowed) {
    if (CPU_COUNT(&allowed) < 2) return -1;
    for (int cpu = CPU_SETSIZE - 1; cpu >= 0; --cpu)
        if (CPU_ISSET(cpu, &allowed)) return cpu;
    return -1;
}

void Place(bool recorder) {
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (sched_getaffinity(0, sizeof allowed, &allowed) != 0) return;
    const int cpu = RecorderCpu(allowed);
    if (cpu < 0) return;
    cpu_set_t chosen;
    if (recorder) {
        CPU_ZERO(&chosen);
        CPU_SET(cpu, &chosen);
    } else {
        chosen = allowed;
        CPU_CLR(cpu, &chosen);
    }
    (void)sched_setaffinity(0, sizeof chosen, &chosen);
}

} // namespace

void PlaceRecordingThread() {
    Place(true);
}

void PlaceProducerThread() {
    Place(false);
}
