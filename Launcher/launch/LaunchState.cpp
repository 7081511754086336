// The flags shared by the launch thread and the watchdog. LaunchInProgress starts true as a static
// value, so it already holds before the entry runs.
#include "launch/LaunchState.h"

std::atomic<bool> LaunchInProgress{true};
std::atomic<bool> ErrorBoxShown{false};
void* LauncherMutex = nullptr;
