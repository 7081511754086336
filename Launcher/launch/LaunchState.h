// Process-wide state shared by the launch thread and the watchdog: two atomic flags and the
// launcher mutex handle (written once, before the watchdog starts).
#pragma once

#include <atomic>

// True from the start of the process until the launch ends by any path.
extern std::atomic<bool> LaunchInProgress;
// Set first thing by a fatal report and never cleared: tells the watchdog to leave the process be.
extern std::atomic<bool> ErrorBoxShown;
// The launcher's named mutex (a HANDLE), null until the guard has run; never closed.
extern void* LauncherMutex;
