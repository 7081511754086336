// Starts the main application from the working directory and lets it go: its handles are not
// kept and nothing waits for it.
#pragma once

#include <optional>
#include <string>

#include "Launcher/report/LaunchFailure.h"

// Starts exe with no arguments, the launcher's environment and current directory, and no
// inherited handles. Gives the start-application-failed failure when it cannot be started.
std::optional<LaunchFailure> StartMainApplication(const std::wstring& exe);
