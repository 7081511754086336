#include "Launcher/payload/UnsafeRecords.h"

#include "Launcher/base/PathRules.h"

const PayloadEntry* FirstUnsafeRecord(const PendingEntries& entries) {
    const PayloadEntry* first = nullptr;
    for (const auto& [relativePath, entry] : entries) {
        if (!UnsafeRecordPathReason(entry->folder, entry->name).empty() &&
            (first == nullptr || entry->index < first->index)) {
            first = entry.get();
        }
    }
    return first;
}
