// The watchdog's deadline test is the seam for what a real launch cannot reach in a test run:
// the exact limit and jumps of the system clock.
#include "launch/Watchdog.h"

#include <gtest/gtest.h>

#include "launch/StartApplication.h"

namespace {

TEST(WatchdogDeadline, ExpiresExactlyAtFiveSeconds) {
    EXPECT_FALSE(WatchdogExpired(1000, 1000 + WatchdogLimitTicks - 1));
    EXPECT_TRUE(WatchdogExpired(1000, 1000 + WatchdogLimitTicks));
    EXPECT_TRUE(WatchdogExpired(1000, 1000 + WatchdogLimitTicks + 1));
}

TEST(WatchdogDeadline, FollowsChangesOfTheSystemClock) {
    // The clock set back by two seconds gives the launch two more seconds.
    const std::int64_t start = 10 * WatchdogLimitTicks;
    EXPECT_FALSE(WatchdogExpired(start, start + WatchdogLimitTicks - 20'000'000));
    // The clock set forward by five seconds or more ends the launch at the next check.
    EXPECT_TRUE(WatchdogExpired(start, start + WatchdogLimitTicks));
    EXPECT_FALSE(WatchdogExpired(start, start - 20'000'000));
}

TEST(StartCommandLine, QuotesThePathSoSpacesStayInside) {
    EXPECT_EQ(QuotedCommandLine(L"C:\\Users\\John Smith\\AppData\\Local\\Nimbrel\\Nimbrel.exe"),
              L"\"C:\\Users\\John Smith\\AppData\\Local\\Nimbrel\\Nimbrel.exe\"");
}

}  // namespace
