// How long a test waits for an event before it reports a hang. Tests wait for the event itself
// (a future, a condition, a signal); this bound is only there so that a test that would wait
// for ever fails instead, and it is far beyond what any event takes on a busy machine.
#pragma once

#include <chrono>

constexpr std::chrono::minutes kHangGuard{5};
// The same bound for QTest::qWaitFor.
constexpr int HangGuardMs = static_cast<int>(std::chrono::milliseconds(kHangGuard).count());
