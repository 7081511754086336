// The watchdog on the host. The deadline test is the seam for what a real launch cannot reach in
// a test run (the exact limit, jumps of the system clock); the real thread is run in a child
// process, which it ends.
#include "Launcher/launch/Watchdog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "Launcher/report/LaunchState.h"

namespace {

constexpr std::int64_t Second = 10'000'000;

TEST(WatchdogDeadline, ExpiresExactlyAtFiveSeconds) {
    EXPECT_FALSE(WatchdogExpired(1000, 1000 + 5 * Second - 1));
    EXPECT_TRUE(WatchdogExpired(1000, 1000 + 5 * Second));
    EXPECT_TRUE(WatchdogExpired(1000, 1000 + 6 * Second));
}

TEST(WatchdogDeadline, FollowsChangesOfTheSystemClock) {
    const std::int64_t start = 1'000'000 * Second;
    // One second in, the clock is set back by two: it reads a second before the start.
    EXPECT_FALSE(WatchdogExpired(start, start - 1 * Second));
    // One second in, the clock is set forward by five: the next check ends the launch.
    EXPECT_TRUE(WatchdogExpired(start, start + 6 * Second));
}

// Runs the watchdog in this (child) process with the launch left running, and exits 0 if it is
// still alive after seven seconds.
void OverrunTheLaunch(bool boxShown) {
    LaunchInProgress.store(true);
    ErrorBoxShown.store(boxShown);
    if (!StartWatchdog()) {
        std::exit(3);
    }
    std::this_thread::sleep_for(std::chrono::seconds(7));
    std::exit(0);
}

TEST(WatchdogThread, EndsAnOverrunningLaunchWithMinus200AfterClearingTheFlag) {
    EXPECT_EXIT(OverrunTheLaunch(false),
                ::testing::ExitedWithCode(static_cast<unsigned char>(-200)),
                "launcher mutex released, launch in progress: no");
}

TEST(WatchdogThread, LeavesTheProcessAloneWhileABoxIsShown) {
    EXPECT_EXIT(OverrunTheLaunch(true), ::testing::ExitedWithCode(0), "");
}

}  // namespace
