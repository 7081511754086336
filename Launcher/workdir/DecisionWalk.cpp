// The decision for each item uses the launcher's own checksum of the file on disk.
#include "Launcher/workdir/DecisionWalk.h"

#include "Launcher/workdir/FileChecksum.h"

ListedType FollowedType(const ListedItem& item) {
    if (!item.isLink) {
        return item.isDirectory ? ListedType::Directory : ListedType::File;
    }
    return ListedTypeOf(IsDirectoryFollowingLinks(item.fullPath));
}

std::optional<LaunchFailure> ForEachItemDecision(
    const std::vector<ListedItem>& listing, PendingEntries& entries, const DecisionHandler& handle,
    const std::function<void(const ListedItem&)>& beforeDeciding) {
    for (const ListedItem& item : listing) {
        if (beforeDeciding) {
            beforeDeciding(item);
        }
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
