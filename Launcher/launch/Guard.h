// Lets one launcher run at a time and hands over to a main application that already runs.
// Runs first, on the launch thread, before any thread, file or resource is touched.
#pragma once

#include <optional>

// Claims the launcher mutex (stored in LauncherMutex even when creation fails, which leaves the
// launch unguarded) and tests for the main application. Returns nothing when the launch goes on,
// -1000 when another launcher holds the mutex, or -2000 when the main application runs (it has
// then been asked to come forward, if its activation record allowed).
std::optional<int> GuardSingleInstance();
