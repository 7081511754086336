// Predicts what a launcher start would do to a working folder, without changing anything: the
// same listing (recursive, links not descended) as the synchronisation of a real start, and for
// each listed item the launcher's own decision on the launcher's own checksum.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/payload/PendingEntries.h"
#include "Launcher/payload/UnsafeRecords.h"

struct DiffRow {
    std::string_view action;      // "keep", "rewrite", "delete", "spare" or "write"
    std::wstring relativePath;    // UTF-16, elements joined with backslashes
    std::int32_t index = -1;      // the entry's record index; -1 for strays and the user's own
    bool replacesFolder = false;  // write: a directory standing in its place goes first
    bool insideReplacedFolder = false;  // delete: a settings file inside such a directory
};

struct FolderDiff {
    std::vector<DiffRow> rows;       // the walk's rows in listing order, then the writes
    std::vector<std::string> notes;  // listing that stopped early, paths outside the folder
};

// Compares dir with entries as a start would, on the launcher's own listing and walk (whose order
// is the enumeration's on Windows and name order elsewhere; only which files are written or
// deleted matters), names compared as Windows compares them. records are every record of the
// payload: when a start would refuse one, the diff has no rows and a note says why. Never
// writes, renames or deletes anything.
FolderDiff DiffWorkingFolder(const std::filesystem::path& dir,
                             const std::vector<RecordPath>& records, const PendingEntries& entries);
