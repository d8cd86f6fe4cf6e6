#include "platform/win/sleep.h"

#include <windows.h>

#include "platform/win/handles.h"

namespace kelt::platform {
namespace {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
constexpr DWORD CREATE_WAITABLE_TIMER_HIGH_RESOLUTION = 0x00000002;
#endif

using Hundreds = std::chrono::duration<long long, std::ratio<1, 10'000'000>>;

// False when no such timer exists here; the caller then falls back to Sleep.
bool WaitOnTimer(HANDLE timer, std::chrono::steady_clock::duration remaining) {
    LARGE_INTEGER due{};
    due.QuadPart = -std::chrono::ceil<Hundreds>(remaining).count();  // negative: relative
    return SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE) &&
           WaitForSingleObject(timer, INFINITE) == WAIT_OBJECT_0;
}

}  // namespace

void SleepUntil(std::chrono::steady_clock::time_point deadline) {
    UniqueHandle timer(CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                              TIMER_ALL_ACCESS));
    for (;;) {
        const auto remaining = deadline - std::chrono::steady_clock::now();
        if (remaining <= std::chrono::steady_clock::duration::zero()) return;
        if (timer && WaitOnTimer(timer.get(), remaining)) continue;
        Sleep(static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(remaining).count()));
    }
}

}  // namespace kelt::platform
