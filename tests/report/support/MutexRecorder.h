// The host's ReleaseLauncherMutex for the tests of the launch state and the watchdog. The host
// has no named mutexes: it records each release with the state of LaunchInProgress at that
// moment, and writes it to stderr too, so that a death test can read it after the process ended.
#pragma once

#include <vector>

// LaunchInProgress as each release since the last ClearReleases saw it, in order.
const std::vector<bool>& ReleasesSeen();
void ClearReleases();
