// Ends a launch with one warning box and exit code -100. Runs on the launch thread only. It sets
// ErrorBoxShown first, fills the text, shows the box (blocking until it is closed), ends the
// launch (EndLaunch, flag first) and exits; it never returns.
#pragma once

#include "Launcher/report/LaunchFailure.h"

// Shows the box for failure: the corrupt-resources message with its three-part code, or its text
// with its placeholder filled with its path.
[[noreturn]] void ReportLaunchFailure(const LaunchFailure& failure);
