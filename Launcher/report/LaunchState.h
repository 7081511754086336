// Process-wide state shared by the launch thread and the watchdog: two atomic flags and the
// launcher mutex handle (written once, before the watchdog starts), and the one way a launch
// ends. Portable: the release of the mutex is the only Win32 call, in LaunchStateWin.cpp.
#pragma once

#include <atomic>

// True from the start of the process until the launch ends by any path.
extern std::atomic<bool> LaunchInProgress;
// Set first thing by a fatal report and never cleared: tells the watchdog to leave the process be.
extern std::atomic<bool> ErrorBoxShown;
// The launcher's named mutex (a HANDLE), null until the guard has run; never closed.
extern void* LauncherMutex;

// The two orders in which a launch ends.
enum class LaunchEnd {
    // The main application's start was attempted: the mutex is released, then the flag cleared.
    Started,
    // A fatal report after its box, or the watchdog: the flag is cleared, then the mutex released.
    Stopped,
};

// Ends the launch: clears LaunchInProgress and releases the launcher mutex in the order given.
// A start releases first so that the watchdog still bounds the release; the other two ends
// clear first because the box is closed or the watchdog itself is ending the process. Releasing
// from a thread that does not own the mutex, or a null one, has no effect.
void EndLaunch(LaunchEnd end);

// Releases LauncherMutex (ReleaseMutex on Windows). Defined by the platform: LaunchStateWin.cpp.
void ReleaseLauncherMutex();
