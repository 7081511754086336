// Brings the working directory into agreement with the payload.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Launcher/payload/PendingEntries.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Launcher/report/LaunchFailure.h"

// Gives the write-file-failed failure naming the path below workingDirectory of the first record
// a start refuses (see UnsafeRecords), or nothing when every record is safe. An unsafe path could
// name the folder itself, a settings file or a device, so this runs before the folder is listed
// or changed; it touches nothing itself.
std::optional<LaunchFailure> RefuseUnsafeRecords(const std::wstring& workingDirectory,
                                                 const std::vector<RecordPath>& records);

// Lists workingDirectory whole, then deletes stray files (every settings file spared, directories
// kept, links not descended into), strikes from entries every file already right and every
// settings file the user has (the payload's is a default), rewrites the files that differ, then
// writes every entry still pending. Stops at the first failure and gives it: a failed
// decompression as stage 6 (file present) or 7 (file missing), a file that cannot be written as
// write-file-failed with its path. What was done until then stays done. The records have passed
// RefuseUnsafeRecords.
std::optional<LaunchFailure> SynchroniseWorkingDirectory(const std::wstring& workingDirectory,
                                                         PendingEntries& entries);
