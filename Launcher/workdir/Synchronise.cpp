// The three phases of the synchronisation. The listing is taken whole before anything changes,
// so files removed or written during the walk do not change what the walk visits. Entries taken
// out during the walk release their content at once; those written at the end stay in the map.
#include "Launcher/workdir/Synchronise.h"

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Launcher/report/FatalText.h"
#include "Launcher/workdir/FileSystem.h"
#include "Launcher/workdir/ItemDecision.h"
#include "Launcher/workdir/WriteExtractedFile.h"

namespace {

std::optional<LaunchFailure> DecompressAndWrite(const std::wstring& workingDirectory,
                                                const std::shared_ptr<PayloadEntry>& entry,
                                                std::int32_t stage) {
    const std::int32_t result = entry->Decompress();
    if (result < 0) {
        return StageFailure(SignedStageError(stage, entry->index, -result));
    }
    return WriteExtractedFile(workingDirectory, entry);
}

}  // namespace

std::optional<LaunchFailure> RefuseUnsafeRecords(const std::wstring& workingDirectory,
                                                 const std::vector<RecordPath>& records) {
    const std::vector<UnsafeRecord> unsafe = UnsafeRecords(records);
    if (unsafe.empty()) {
        return std::nullopt;
    }
    const RecordPath& first = unsafe.front().record;
    return PathFailure(WriteFileFailedText,
                       JoinPath(JoinPath(workingDirectory, first.folder), first.name));
}

std::optional<LaunchFailure> SynchroniseWorkingDirectory(const std::wstring& workingDirectory,
                                                         PendingEntries& entries) {
    const TreeListing listing = ListTree(workingDirectory);
    const auto act = [&](const ListedItem& item,
                         const ItemDecision& decision) -> std::optional<LaunchFailure> {
        ResetAttributes(item.fullPath.native());
        switch (decision.action) {
            case ItemAction::Delete:
                RemoveListedItem(item);
                break;
            case ItemAction::Rewrite:
                return DecompressAndWrite(workingDirectory, decision.entry->second,
                                          LaunchStage::DecompressChanged);
            case ItemAction::Pass:
            case ItemAction::Spare:
            case ItemAction::Keep:
                break;
        }
        return std::nullopt;
    };
    if (auto failure = ForEachItemDecision(listing.items, entries, act)) {
        return failure;
    }
    for (auto& [relativePath, entry] : entries) {
        if (auto failure =
                DecompressAndWrite(workingDirectory, entry, LaunchStage::DecompressMissing)) {
            return failure;
        }
    }
    return std::nullopt;
}
