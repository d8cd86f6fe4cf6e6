#pragma once
// Sleeping to a deadline of the steady clock.

#include <chrono>

namespace kelt::platform {

// Returns at the deadline or just after it, never before. The plain Sleep
// of Windows ticks in steps of up to 15.6 ms, too coarse for the
// instrument's 100 ms pauses, so a high-resolution timer is used where
// Windows has one (10, version 1803, and later).
void SleepUntil(std::chrono::steady_clock::time_point deadline);

}  // namespace kelt::platform
