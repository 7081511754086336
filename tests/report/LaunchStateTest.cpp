// The two orders in which a launch ends, on the host with the recording ReleaseLauncherMutex.
#include "Launcher/report/LaunchState.h"

#include <gtest/gtest.h>

#include "tests/report/support/MutexRecorder.h"

namespace {

TEST(EndLaunch, ReleasesTheMutexWhileTheLaunchStillCountsOnlyAfterAStart) {
    for (const auto& [end, inProgressAtRelease] :
         {std::pair{LaunchEnd::Started, true}, std::pair{LaunchEnd::Stopped, false}}) {
        LaunchInProgress.store(true);
        ClearReleases();
        EndLaunch(end);
        EXPECT_EQ(ReleasesSeen(), std::vector<bool>{inProgressAtRelease});
        EXPECT_FALSE(LaunchInProgress.load());
    }
}

}  // namespace
