// The dry run of a start's synchronisation. It copies the pending map and strikes entries from
// the copy, so what is left at the end is exactly what a start would write in its last phase.
// The listing, the walk and each item's decision are the launcher's own. Where a start asks
// Windows whether something stands at a path, the dry run looks the path up in the listing with
// the launcher's case-blind key, so that it answers as Windows would on any host.
#include "Packer/payload/WorkFolderDiff.h"

#include <system_error>
#include <unordered_map>

#include "Launcher/base/NameCase.h"
#include "Launcher/base/PathRules.h"
#include "Launcher/base/Utf16.h"
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

// Tells whether path lies below folder, elements compared as Windows compares names.
bool IsBelow(std::wstring_view path, std::wstring_view folder) {
    const auto inner = PathElements(path);
    const auto outer = PathElements(folder);
    if (inner.size() <= outer.size()) {
        return false;
    }
    for (std::size_t k = 0; k < outer.size(); ++k) {
        if (!SameNameIgnoringCase(inner[k], outer[k])) {
            return false;
        }
    }
    return true;
}

using ListedByPath =
    std::unordered_map<std::wstring, const ListedItem*, PathKeyHasher, PathKeyEquality>;

}  // namespace

FolderDiff DiffWorkingFolder(const std::filesystem::path& dir,
                             const std::vector<RecordPath>& records,
                             const PendingEntries& entries) {
    if (const std::vector<UnsafeRecord> unsafe = UnsafeRecords(records); !unsafe.empty()) {
        const RecordPath& record = unsafe.front().record;
        FolderDiff refused;
        refused.notes.push_back("record " + std::to_string(record.index) + " (" +
                                PrintableUtf8(record.relativePath) + "): " + unsafe.front().reason +
                                "; a start changes nothing and ends with the write-file-failed "
                                "report");
        return refused;
    }
    FolderDiff diff;
    PendingEntries pending = entries;
    const TreeListing listing = ListTree(dir);
    ListedByPath listed;
    ForEachItemDecision(
        listing.items, pending,
        [&](const ListedItem& item, const ItemDecision& decision) -> std::optional<LaunchFailure> {
            listed.emplace(item.relativePath, &item);
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
        // Past a listing that stopped early, the file system of this host is asked instead.
        const std::filesystem::path target = OnDisk(dir, entry->relativePath);
        const auto found = listed.find(entry->relativePath);
        // The payload's settings file is a default, never written over anything at its path.
        if (IsDefaultLeftAlone(entry->name, [&] {
                std::error_code error;
                return found != listed.end() ||
                       std::filesystem::exists(std::filesystem::symlink_status(target, error));
            })) {
            diff.rows.push_back({"spare", entry->relativePath, entry->index});
            continue;
        }
        const bool folderInTheWay = found != listed.end()
                                        ? FollowedType(*found->second) == ListedType::Directory
                                        : IsDirectoryFollowingLinks(target) == true;
        diff.rows.push_back({"write", entry->relativePath, entry->index, folderInTheWay});
        if (!folderInTheWay) {
            continue;
        }
        // The directory goes with everything in it, the settings files the walk spared too.
        for (DiffRow& row : diff.rows) {
            if (row.action == "spare" && IsBelow(row.relativePath, entry->relativePath)) {
                row.action = "delete";
                row.insideReplacedFolder = true;
            }
        }
    }
    return diff;
}
