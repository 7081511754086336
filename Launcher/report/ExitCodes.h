// The launcher's process exit codes. Scripts and the main application's installer read them, so
// they are never renumbered.
#pragma once

namespace ExitCode {
inline constexpr int Started = 0;              // the main application's start was attempted
inline constexpr int FatalReported = -100;     // a warning box was shown and closed
inline constexpr int WatchdogExpired = -200;   // the launch took longer than five seconds
inline constexpr int LauncherRunning = -1000;  // another launcher holds the launcher mutex
inline constexpr int ApplicationRunning =
    -2000;  // the main application runs; asked to come forward
}  // namespace ExitCode
