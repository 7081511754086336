// The few file-system operations the working directory needs, on Win32 underneath: listings that
// see links and junctions (reparse points) and never descend into them, directory tests that
// follow links, attribute resets, and removals that take read-only files too. libstdc++'s
// std::filesystem on Windows misses links and refuses read-only files, hence this file. None of
// these functions raises.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One item of a listing, with the type information the enumeration delivered with it.
struct ListedItem {
    std::wstring fullPath;
    bool isDirectory = false;  // the item itself is a directory (a link to one counts too)
    bool isLink = false;       // a symbolic link or junction; other reparse points are not links
};

// Appends the immediate entries of folder (without "." and "..") to items, in the order the
// enumeration gives them. Returns false when folder cannot be opened for listing or the
// enumeration fails part way; the entries read until then stay appended.
bool ListDirectory(const std::wstring& folder, std::vector<ListedItem>& items);

// Lists folder depth first, each directory followed by everything below it, descending into real
// directories only. Stops at the first folder that cannot be listed and returns what it had
// listed until then; an unlistable folder gives an empty list.
std::vector<ListedItem> ListTree(const std::wstring& folder);

// Tells whether anything exists at path (a broken link counts); false when that cannot be told.
bool PathExists(const std::wstring& path);

// Tells whether path is a directory, following links: a link to a directory is one, a link whose
// target is missing is not. Returns nothing when a link's target exists but cannot be examined.
std::optional<bool> IsDirectoryFollowingLinks(const std::wstring& path);

// Tells whether a listed item is a directory, following links, without asking the file system
// again unless the item is a link. Returns nothing as IsDirectoryFollowingLinks does.
std::optional<bool> IsDirectoryItem(const ListedItem& item);

// Sets path's attributes to FILE_ATTRIBUTE_NORMAL (clearing read-only, hidden and system);
// returns false when that fails.
bool ResetAttributes(const std::wstring& path);

// Removes one file, one link (never its target) or one empty directory, resetting the
// attributes first so that read-only items go too. Returns false when nothing was removed.
bool RemoveSingle(const std::wstring& path);

// The outcome of a recursive removal.
struct RemovalResult {
    std::uint32_t removed = 0;  // items deleted, the top one included
    bool ok = true;             // false when anything could not be listed or deleted
};

// Removes path and everything below it; links inside are removed themselves, never followed.
// Read-only items are removed too. A missing path removes nothing and is not an error.
RemovalResult RemoveTree(const std::wstring& path);

// Creates one directory whose parent exists. Returns true only when it was newly created.
bool CreateSingleDirectory(const std::wstring& path);
