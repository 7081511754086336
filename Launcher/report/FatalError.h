// Ends a launch with one warning box and exit code -100. Runs on the launch thread only. Each
// form sets ErrorBoxShown first, fills the text, shows the box (blocking until it is closed),
// ends the launch (EndLaunch, flag first) and exits; none returns.
#pragma once

#include <string_view>

#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/report/LaunchFailure.h"

// Shows text as it stands, or with its one placeholder filled with path.
[[noreturn]] void ReportFatalError(std::wstring_view text);
[[noreturn]] void ReportFatalError(std::wstring_view text, std::wstring_view path);

// Shows the corrupt-resources message for a three-part code (ResourcesCorruptMessage).
[[noreturn]] void ReportStageError(const StageError& error);

// Shows the box for failure: its three-part code, or its text with its path.
[[noreturn]] void ReportLaunchFailure(const LaunchFailure& failure);
