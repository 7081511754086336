// Bounds a launch to five seconds of wall-clock time. The thread only reads the clock, sleeps and
// reads the two flags; it ends the process with -200 when the time is up and no box is shown.
// Portable: it ends the launch through EndLaunch.
#pragma once

#include <cstdint>

// Ticks of 100 ns a launch may take.
inline constexpr std::int64_t WatchdogLimitTicks = 50'000'000;

// Tells whether a launch that started at startTicks has used up its time at nowTicks (both in
// 100 ns units of the wall clock). Reaching the limit exactly counts as expired.
bool WatchdogExpired(std::int64_t startTicks, std::int64_t nowTicks);

// Starts the watchdog thread and detaches it. Returns false when the thread cannot be created or
// detached: the launch has then been ended (EndLaunch) and no watchdog thread is left running,
// so that the caller ends with -200 before it touches anything. Never lets an exception out.
bool StartWatchdog();
