// Brings the working directory into agreement with the payload.
#pragma once

#include <optional>
#include <string>

#include "Launcher/payload/PendingEntries.h"
#include "Launcher/report/LaunchFailure.h"

// Lists workingDirectory whole, then deletes stray files (every settings file spared, directories
// kept, links not descended into), strikes from entries every file already right and every
// settings file the user has (the payload's is a default), rewrites the files that differ, then
// writes every entry still pending. Stops at the first failure and gives it: a failed
// decompression as stage 6 (file present) or 7 (file missing), a record path that is unsafe or a
// file that cannot be written as write-file-failed with its path. What was done until then stays
// done.
std::optional<LaunchFailure> SynchroniseWorkingDirectory(const std::wstring& workingDirectory,
                                                         PendingEntries& entries);
