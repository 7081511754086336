// The order of the tests is the order of the walk's steps: type, spared name, lookup, checksum.
// The name and the lookup ignore letter case as Windows does, so that a settings file or a folder
// spelled in another case on disk is still the file or folder the payload means.
// A payload's settings file is a default: the user's file at its path wins, whatever its content.
// A file that cannot be read has no checksum and so never passes for right, not even for an
// empty entry (whose checksum is 0).
#include "Launcher/workdir/ItemDecision.h"

#include "Launcher/base/NameCase.h"
#include "Launcher/workdir/FileChecksum.h"

ListedType FollowedType(const ListedItem& item) {
    const std::optional<bool> isDirectory =
        item.isLink ? IsDirectoryFollowingLinks(item.fullPath) : item.isDirectory;
    if (!isDirectory) {
        return ListedType::Unknown;
    }
    return *isDirectory ? ListedType::Directory : ListedType::File;
}

ItemDecision DecideListedItem(ListedType type, std::wstring_view name,
                              const std::wstring& relativePath, PendingEntries& entries,
                              const ChecksumOnDisk& checksumOnDisk) {
    if (type != ListedType::File) {
        return {ItemAction::Pass, entries.end()};
    }
    const auto found = entries.find(relativePath);
    if (IsSparedName(name)) {
        return {ItemAction::Spare, found};
    }
    if (found == entries.end()) {
        return {ItemAction::Delete, found};
    }
    const bool right = checksumOnDisk() == found->second->contentCrc;
    return {right ? ItemAction::Keep : ItemAction::Rewrite, found};
}

bool IsDefaultLeftAlone(std::wstring_view name, const std::function<bool()>& somethingStands) {
    return IsSparedName(name) && somethingStands();
}

std::optional<LaunchFailure> ForEachItemDecision(const std::vector<ListedItem>& listing,
                                                 PendingEntries& entries,
                                                 const DecisionHandler& handle) {
    for (const ListedItem& item : listing) {
        const ItemDecision decision =
            DecideListedItem(FollowedType(item), item.name, item.relativePath, entries,
                             [&] { return ComputeFileChecksum(item.fullPath); });
        if (std::optional<LaunchFailure> failure = handle(item, decision)) {
            return failure;
        }
        if (decision.entry != entries.end()) {
            entries.erase(decision.entry);
        }
    }
    return std::nullopt;
}
