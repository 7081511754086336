// The three phases of the synchronisation. The listing is taken whole before anything changes,
// so files removed or written during the walk do not change what the walk visits. Entries taken
// out during the walk release their content at once; those written at the end stay in the map.
#include "Launcher/workdir/Synchronise.h"

#include <string_view>
#include <vector>

#include "Launcher/base/PathRules.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Launcher/report/FatalError.h"
#include "Launcher/report/FatalText.h"
#include "Launcher/workdir/FileChecksum.h"
#include "Launcher/workdir/FileSystem.h"
#include "Launcher/workdir/ItemDecision.h"
#include "Launcher/workdir/WriteExtractedFile.h"

namespace {

void DecompressOrReport(PayloadEntry& entry, std::int32_t stage) {
    const std::int32_t result = entry.Decompress();
    if (result < 0) {
        ReportStageError(SignedStageError(stage, entry.index, -result));
    }
}

void CheckListedItem(const std::wstring& workingDirectory, const ListedItem& item,
                     PendingEntries& entries) {
    const std::wstring relativePath = LexicalRelativePath(item.fullPath, workingDirectory);
    ResetAttributes(item.fullPath);
    const ItemDecision decision =
        DecideListedItem(ListedTypeOf(IsDirectoryItem(item)), FinalPathElement(item.fullPath),
                         relativePath, entries, [&] { return ComputeFileChecksum(item.fullPath); });
    switch (decision.action) {
        case ItemAction::Pass:
            return;
        case ItemAction::Spare:
            if (decision.entry == entries.end()) {
                return;
            }
            break;
        case ItemAction::Delete:
            RemoveSingle(item.fullPath);
            return;
        case ItemAction::Rewrite: {
            const std::shared_ptr<PayloadEntry> entry = decision.entry->second;
            DecompressOrReport(*entry, LaunchStage::DecompressChanged);
            WriteExtractedFile(workingDirectory, entry);
            break;
        }
        case ItemAction::Keep:
            break;
    }
    entries.erase(decision.entry);
}

// Refuses the payload when any record's path is unsafe, before anything in the folder is listed
// or changed: such a path could name the folder itself, a Config.ini or a device.
void RefuseUnsafeRecords(const std::wstring& workingDirectory, const PendingEntries& entries) {
    if (const PayloadEntry* first = FirstUnsafeRecord(entries)) {
        ReportFatalError(WriteFileFailedText,
                         JoinPath(JoinPath(workingDirectory, first->folder), first->name));
    }
}

}  // namespace

void SynchroniseWorkingDirectory(const std::wstring& workingDirectory, PendingEntries& entries) {
    RefuseUnsafeRecords(workingDirectory, entries);
    const std::vector<ListedItem> listing = ListTree(workingDirectory);
    for (const ListedItem& item : listing) {
        CheckListedItem(workingDirectory, item, entries);
    }
    for (auto& [relativePath, entry] : entries) {
        DecompressOrReport(*entry, LaunchStage::DecompressMissing);
        WriteExtractedFile(workingDirectory, entry);
    }
}
