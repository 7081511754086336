// What the synchronisation does with one item of the working folder's listing, decided without
// touching the file system: the launcher's walk acts on the decision and nimbrel-pack's diff
// reports it, so that the two cannot tell different stories. Portable (built on the host too).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "Launcher/payload/PendingEntries.h"

// What a listed item is with links followed: a link to a directory is a directory, a link whose
// target is missing is a file. Unknown when a link's target exists but cannot be examined.
enum class ListedType { File, Directory, Unknown };

// Gives the type that a directory test following links found (nothing: it could not tell).
ListedType ListedTypeOf(std::optional<bool> isDirectory);

enum class ItemAction {
    Pass,   // a directory, or an item of unknown type (deleting it could reach a link's target)
    Spare,  // named exactly as the settings file (letter case matters), in any folder: left alone,
            // and the payload's entry of that path, if any, is a default that is not written over
            // it
    Delete,   // no pending entry has its path: a stray, removed
    Keep,     // its checksum on disk is its entry's: right, neither decompressed nor rewritten
    Rewrite,  // it differs from its entry or cannot be read whole: written again
};

struct ItemDecision {
    ItemAction action = ItemAction::Pass;
    PendingEntries::iterator entry;  // Keep, Rewrite and Spare: the entry with the item's path
};

// Gives the checksum of the item's file on disk, or nothing when it cannot be read whole.
using ChecksumOnDisk = std::function<std::optional<std::uint32_t>()>;

// Decides what happens to the listed item named name at relativePath below the working folder.
// Asks checksumOnDisk only when a pending entry has the item's path and the item is not spared.
// Leaves entries as they are: the caller takes out the entry that a decision carries once it has
// acted on it, so that a spared settings file's entry is never written.
ItemDecision DecideListedItem(ListedType type, std::wstring_view name,
                              const std::wstring& relativePath, PendingEntries& entries,
                              const ChecksumOnDisk& checksumOnDisk);
