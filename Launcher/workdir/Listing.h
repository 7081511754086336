// The one listing of a working folder, for the launcher (Win32 underneath) and for nimbrel-pack's
// diff on any host (POSIX underneath): the order, what counts as a link, and what a link is with
// links followed. Only symbolic links and junctions are links; other reparse points (cloud-file
// placeholders, deduplicated files) are ordinary files and folders. Nothing here raises or
// changes the disk.
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
    // Depth first: each directory, then everything below it, then its next sibling.
    std::vector<ListedItem> items;
    // The folder that could not be listed whole; nothing after the point where it failed is
    // listed. Empty when the listing is complete.
    std::optional<std::filesystem::path> stoppedAt;
};

// Appends the immediate entries of folder (without "." and ".."), with their paths below the
// listed folder starting with relativeFolder, in the enumeration's order (by name on POSIX
// hosts, whose order is arbitrary). Returns false when folder cannot be opened for listing or the
// enumeration fails part way; the entries read until then stay appended.
bool ListDirectory(const std::filesystem::path& folder, const std::wstring& relativeFolder,
                   std::vector<ListedItem>& items);

// Lists folder depth first, descending into real directories only, and stops at the first folder
// that cannot be listed whole. A folder that cannot be listed at all gives an empty listing.
TreeListing ListTree(const std::filesystem::path& folder);

// Tells whether a reparse point with this tag is a link: symbolic links and mount points
// (junctions) are, and so is a tag of 0, which Wine gives for the host's links. Other tags are
// ordinary files and folders.
bool IsLinkReparseTag(std::uint32_t tag);

// Tells whether the item at path itself is a symbolic link or junction; false when nothing is
// there or its type cannot be read.
bool IsLinkItem(const std::filesystem::path& path);

// Tells whether path is a directory, following links: a link to a directory is one, a link whose
// target is missing is not. Returns nothing when a link's target exists but cannot be examined.
std::optional<bool> IsDirectoryFollowingLinks(const std::filesystem::path& path);
