// What the synchronisation does with each item of the working folder's listing, and the walk that
// decides every item in listing order. The launcher acts on the decisions and nimbrel-pack's diff
// records them, so that the two cannot tell different stories. Portable (built on the host too).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Launcher/payload/PendingEntries.h"
#include "Launcher/report/LaunchFailure.h"
#include "Launcher/workdir/Listing.h"

// What a listed item is with links followed: a link to a directory is a directory, a link whose
// target is missing is a file. Unknown when a link's target exists but cannot be examined.
enum class ListedType { File, Directory, Unknown };

// Gives what a listed item is with links followed, asking the file system only about links.
ListedType FollowedType(const ListedItem& item);

enum class ItemAction {
    Pass,     // a directory, or an item of unknown type (deleting it could reach a link's target)
    Spare,    // named as the settings file in any letter case, in any folder: left alone, and the
              // payload's entry of that path, if any, is a default not written over it
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
// Leaves entries as they are.
ItemDecision DecideListedItem(ListedType type, std::wstring_view name,
                              const std::wstring& relativePath, PendingEntries& entries,
                              const ChecksumOnDisk& checksumOnDisk);

// Tells whether the payload file named name, still pending after the walk, is a default to be
// left as it is: a settings file (any letter case) where something already stands at its path.
// The writer and nimbrel-pack's diff both ask this, each with its own look at the path, which is
// asked for settings files only.
bool IsDefaultLeftAlone(std::wstring_view name, const std::function<bool()>& somethingStands);

// Acts on (or records) the decision for one item; a failure ends the walk.
using DecisionHandler =
    std::function<std::optional<LaunchFailure>(const ListedItem&, const ItemDecision&)>;

// Decides each item of listing in order, on the launcher's checksum of the file on disk, and hands
// the decision to handle. Once handled, the entry a decision carries is taken out of entries, so
// that a spared settings file's entry is never written. Stops at the first failure handle returns
// and gives it back.
std::optional<LaunchFailure> ForEachItemDecision(const std::vector<ListedItem>& listing,
                                                 PendingEntries& entries,
                                                 const DecisionHandler& handle);
