// The few file-system operations the working directory needs besides its listing, on Win32
// underneath: existence tests, attribute resets, and removals that take read-only files too and
// never reach through a link. libstdc++'s std::filesystem on Windows misses links and refuses
// read-only files, hence this file. None of these functions raises.
#pragma once

#include <cstdint>
#include <string>

#include "Launcher/workdir/Listing.h"

// Tells whether anything exists at path (a broken link counts); false when that cannot be told.
bool PathExists(const std::wstring& path);

// Sets path's attributes to FILE_ATTRIBUTE_NORMAL (clearing read-only, hidden and system);
// returns false when that fails.
bool ResetAttributes(const std::wstring& path);

// Removes a listed file, link or empty directory as the listing found it, without asking the
// file system again; its attributes must have been reset already (read-only files stay
// otherwise). Returns false when nothing was removed.
bool RemoveListedItem(const ListedItem& item);

// The outcome of a recursive removal.
struct RemovalResult {
    std::uint32_t removed = 0;  // items deleted, the top one included
    bool ok = true;             // false when anything could not be listed or deleted
};

// Removes path (a file, a link, never its target, or a directory) and everything below it; links
// inside are removed themselves, never followed. Read-only items are removed too. A missing path
// removes nothing and is not an error.
RemovalResult RemoveTree(const std::wstring& path);

// Creates one directory whose parent exists. Returns true only when it was newly created.
bool CreateSingleDirectory(const std::wstring& path);
