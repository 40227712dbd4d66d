// A disc job's recording thread and producer are kept on different processors.
#include "thread_placement.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <functional>
#include <thread>
#include <vector>

namespace {

std::vector<int> Cpus(const cpu_set_t& set) {
    std::vector<int> cpus;
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
        if (CPU_ISSET(cpu, &set)) cpus.push_back(cpu);
    return cpus;
}

// The processors a new thread limited to `allowed` may use after `place` has run in it.
std::vector<int> PlacedOn(const std::vector<int>& allowed, const std::function<void()>& place) {
    std::vector<int> result;
    std::thread([&] {
        cpu_set_t set;
        CPU_ZERO(&set);
        for (int cpu : allowed) CPU_SET(cpu, &set);
        if (sched_setaffinity(0, sizeof set, &set) != 0) return;
        place();
        if (sched_getaffinity(0, sizeof set, &set) == 0) result = Cpus(set);
    }).join();
    return result;
}

TEST(ThreadPlacementTest, RecorderTakesTheLastProcessorAndTheProducerTheOthers) {
    cpu_set_t process;
    ASSERT_EQ(sched_getaffinity(0, sizeof process, &process), 0);
    const std::vector<int> all = Cpus(process);
    if (all.size() < 2) GTEST_SKIP() << "needs two processors";
    const std::vector<int> others(all.begin(), all.end() - 1);

    struct TCase {
        std::vector<int> Allowed;
        std::vector<int> Recorder;
        std::vector<int> Producer;
    };
    const TCase cases[] = {
        {all, {all.back()}, others},
        {{all.front()}, {all.front()}, {all.front()}},  // one processor: nothing changes
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(PlacedOn(c.Allowed, PlaceRecordingThread), c.Recorder);
        EXPECT_EQ(PlacedOn(c.Allowed, PlaceProducerThread), c.Producer);
    }
}

} // namespace
