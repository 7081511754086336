// The watchdog on the host. The deadline test is the seam for what a real launch cannot reach in
// a test run (the exact limit, a system clock set back); the real thread is run in a child
// process, which it ends, and the parent times that end on its own clock.
#include "Launcher/launch/Watchdog.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "Launcher/report/LaunchState.h"

namespace {

constexpr std::int64_t Second = 10'000'000;

TEST(WatchdogDeadline, ExpiresExactlyAtFiveSecondsAndNotWhenTheClockIsSetBack) {
    EXPECT_FALSE(WatchdogExpired(1000, 1000 + 5 * Second - 1));
    EXPECT_TRUE(WatchdogExpired(1000, 1000 + 5 * Second));
    EXPECT_FALSE(WatchdogExpired(1000, 1000 - 2 * Second));
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

TEST(WatchdogThread, EndsAnOverrunningLaunchWithMinus200AfterFiveSecondsOfRealTime) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EXIT(OverrunTheLaunch(false),
                ::testing::ExitedWithCode(static_cast<unsigned char>(-200)),
                "launcher mutex released, launch in progress: no");
    // The limit, then at most one 100 ms sleep between looks, and a margin for a busy machine.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now() - start)
                        .count();
    EXPECT_GE(ms, 5000);
    EXPECT_LT(ms, 5600);
}

TEST(WatchdogThread, LeavesTheProcessAloneWhileABoxIsShown) {
    EXPECT_EXIT(OverrunTheLaunch(true), ::testing::ExitedWithCode(0), "");
}

}  // namespace
