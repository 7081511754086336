// Brings the working directory into agreement with the payload.
#pragma once

#include <string>

#include "Launcher/payload/PendingEntries.h"

// Lists workingDirectory whole, then deletes stray files (every "Config.ini" spared, directories
// kept, links not descended into), strikes from entries every file already right and every
// Config.ini the user has (the payload's is a default), rewrites the files that differ, then
// writes every entry still pending. A failed decompression reports stage 6 (file present) or 7
// (file missing) and a file that cannot be written reports write-file-failed; neither returns.
void SynchroniseWorkingDirectory(const std::wstring& workingDirectory, PendingEntries& entries);
