// The dry run of a start's synchronisation. It copies the pending map and strikes entries from
// the copy, so what is left at the end is exactly what a start would write in its last phase.
// The listing, the walk and each item's decision are the launcher's own.
#include "Packer/WorkFolderDiff.h"

#include <system_error>

#include "Launcher/base/PathRules.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/base/Utf16.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Launcher/workdir/ItemDecision.h"

namespace {

// Turns a payload path (either separator) into a path below dir on this machine.
std::filesystem::path OnDisk(const std::filesystem::path& dir, std::wstring_view relative) {
    std::filesystem::path path = dir;
    for (const std::wstring_view element : PathElements(relative)) {
        path /= PathFromUtf8(Utf16ToUtf8(element));
    }
    return path;
}

// Gives the word for what the walk does with an item; an item passed over gets no row.
std::string_view ActionWord(ItemAction action) {
    switch (action) {
        case ItemAction::Keep:
            return "keep";
        case ItemAction::Rewrite:
            return "rewrite";
        case ItemAction::Delete:
            return "delete";
        case ItemAction::Spare:
            return "spare";
        case ItemAction::Pass:
            break;
    }
    return {};
}

}  // namespace

FolderDiff DiffWorkingFolder(const std::filesystem::path& dir, const PendingEntries& entries) {
    if (const PayloadEntry* unsafe = FirstUnsafeRecord(entries)) {
        FolderDiff refused;
        refused.notes.push_back(
            "record " + std::to_string(unsafe->index) + " (" + PrintableUtf8(unsafe->relativePath) +
            "): " + std::string(UnsafeRecordPathReason(unsafe->folder, unsafe->name)) +
            "; a start changes nothing and ends with the write-file-failed report");
        return refused;
    }
    FolderDiff diff;
    PendingEntries pending = entries;
    const TreeListing listing = ListTree(dir);
    ForEachItemDecision(
        listing.items, pending,
        [&](const ListedItem& item, const ItemDecision& decision) -> std::optional<LaunchFailure> {
            // A link to a directory is not descended into; an unknown item stays.
            if (decision.action != ItemAction::Pass) {
                const bool hasEntry = decision.entry != pending.end();
                diff.rows.push_back({ActionWord(decision.action), item.relativePath,
                                     hasEntry ? decision.entry->second->index : -1});
            }
            return std::nullopt;
        });
    if (listing.stoppedAt) {
        diff.notes.push_back(PathToUtf8(*listing.stoppedAt) +
                             ": cannot be listed; a start's listing ends here too, so nothing "
                             "after it is checked or deleted");
    }

    for (const PayloadEntry* entry : InIndexOrder(pending)) {
        const std::filesystem::path target = OnDisk(dir, entry->relativePath);
        const bool folderInTheWay = IsDirectoryFollowingLinks(target) == true;
        // The payload's settings file is a default, never written over anything at its path.
        std::error_code error;
        const bool spared = entry->name == SharedName::SparedFile &&
                            std::filesystem::exists(std::filesystem::symlink_status(target, error));
        diff.rows.push_back({spared ? "spare" : "write", entry->relativePath, entry->index,
                             !spared && folderInTheWay});
    }
    return diff;
}
