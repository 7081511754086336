// The flags shared by the launch thread and the watchdog. LaunchInProgress starts true as a static
// value, so it already holds before the entry runs.
#include "Launcher/report/LaunchState.h"

std::atomic<bool> LaunchInProgress{true};
std::atomic<bool> ErrorBoxShown{false};
void* LauncherMutex = nullptr;

void EndLaunch(LaunchEnd end) {
    if (end == LaunchEnd::Started) {
        ReleaseLauncherMutex();
        LaunchInProgress.exchange(false);
        return;
    }
    LaunchInProgress.store(false);
    ReleaseLauncherMutex();
}
