// The launch watchdog. It reads the wall clock, so a change of the system time moves its
// deadline; the sleep between checks is relative. It never spins.
#include "Launcher/launch/Watchdog.h"

#include <chrono>
#include <cstdlib>
#include <exception>
#include <thread>

#include "Launcher/report/ExitCodes.h"
#include "Launcher/report/LaunchState.h"

namespace {

std::int64_t WallClockTicks() {
    using Ticks = std::chrono::duration<std::int64_t, std::ratio<1, 10'000'000>>;
    return std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

void WatchLaunch() {
    const std::int64_t start = WallClockTicks();
    if (!LaunchInProgress.load()) {
        return;
    }
    while (!WatchdogExpired(start, WallClockTicks())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (!LaunchInProgress.load()) {
            return;
        }
    }
    if (ErrorBoxShown.load()) {
        return;
    }
    EndLaunch(LaunchEnd::Stopped);
    // No exit-time clean-up: the launch thread is still running and may be using what it would
    // destroy. A file it was writing is left short and is rewritten at the next start.
    std::_Exit(ExitCode::WatchdogExpired);
}

}  // namespace

bool WatchdogExpired(std::int64_t startTicks, std::int64_t nowTicks) {
    return nowTicks - startTicks >= WatchdogLimitTicks;
}

bool StartWatchdog() {
    std::thread watchdog;
    try {
        watchdog = std::thread(WatchLaunch);
        watchdog.detach();
        return true;
    } catch (const std::exception&) {
    }
    // Destroying a thread that is still joinable would end the process through std::terminate.
    // With the launch ended, a thread that did start returns at its first look at the flag.
    EndLaunch(LaunchEnd::Stopped);
    if (watchdog.joinable()) {
        try {
            watchdog.join();
        } catch (const std::exception&) {
            std::_Exit(ExitCode::WatchdogExpired);
        }
    }
    return false;
}
