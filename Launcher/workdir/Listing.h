// The one listing of a working folder, for the launcher (Win32 underneath) and for nimbrel-pack's
// diff on any host (POSIX underneath). Only symbolic links and junctions are links; other reparse
// points (cloud-file placeholders, deduplicated files) are ordinary files and folders. Nothing
// here raises or changes the disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// One item as the enumeration found it; nothing is asked of the file system again.
struct ListedItem {
    std::filesystem::path fullPath;  // the listed folder joined with the item's path, natively
    std::wstring relativePath;       // UTF-16 elements below the listed folder, joined with '\'
    std::wstring name;               // the last of those elements
    bool isDirectory = false;        // listed as a directory (on Windows a link to one too)
    bool isLink = false;             // a symbolic link or a junction: never descended into
};

struct TreeListing {
    std::vector<ListedItem> items;  // depth first: each directory, then everything below it
    // The folder that could not be listed whole, after which nothing is listed; empty when the
    // listing is complete.
    std::optional<std::filesystem::path> stoppedAt;
};

// Appends the entries of folder (without "." and ".."), their relative paths starting with
// relativeFolder, in the enumeration's order (by name on POSIX hosts). Returns false when folder
// cannot be listed whole; the entries read until then stay appended.
bool ListDirectory(const std::filesystem::path& folder, const std::wstring& relativeFolder,
                   std::vector<ListedItem>& items);

// Gives the path below the listed folder of the entry name in relativeFolder.
inline std::wstring RelativePath(const std::wstring& relativeFolder, const std::wstring& name) {
    return relativeFolder.empty() ? name : relativeFolder + L'\\' + name;
}

// Lists folder depth first, descending into real directories only, up to the first folder that
// cannot be listed whole.
TreeListing ListTree(const std::filesystem::path& folder);

// Tells whether a reparse point with this tag is a link: symbolic links and mount points
// (junctions) are, and so is a tag of 0, which Wine gives for the host's links.
bool IsLinkReparseTag(std::uint32_t tag);

// Tells whether the item at path itself is a link; false when nothing is there.
bool IsLinkItem(const std::filesystem::path& path);

// Tells whether path is a directory, following links (a link whose target is missing is not);
// nothing when a link's target exists but cannot be examined.
std::optional<bool> IsDirectoryFollowingLinks(const std::filesystem::path& path);
