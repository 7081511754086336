#include "tests/report/support/MutexRecorder.h"

#include <cstdio>

#include "Launcher/report/LaunchState.h"

namespace {
std::vector<bool> releases;
}  // namespace

const std::vector<bool>& ReleasesSeen() {
    return releases;
}

void ClearReleases() {
    releases.clear();
}

void ReleaseLauncherMutex() {
    const bool inProgress = LaunchInProgress.load();
    releases.push_back(inProgress);
    std::fprintf(stderr, "launcher mutex released, launch in progress: %s\n",
                 inProgress ? "yes" : "no");
}
