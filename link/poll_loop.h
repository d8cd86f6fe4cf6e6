#pragma once
// The one way both programs read the instrument's line: poll the port,
// hand on what came, and sleep only while nothing comes.

#include <atomic>
#include <functional>
#include <string_view>

#include "link/seams.h"

namespace kelt {

// An idle port is asked again after this long.
inline constexpr int kIdlePollMs = 100;

// What the loop does after a read that brought bytes: give up the rest of
// the time slice (the panel's reader), or ask again at once (the terminal).
enum class AfterRead { Yield, AskAgain };

// Runs until stop is raised. A read that brings nothing (no bytes, a line
// error, a failed query, busy raised) is followed by kIdlePollMs of sleep,
// so a broken port can never make the loop spin.
void PollLine(const std::atomic<bool>& stop, const std::atomic<bool>& busy, LinePort& port,
              Sleeper& sleeper, AfterRead afterRead, const std::function<void(std::string_view)>& onBytes);

}  // namespace kelt
