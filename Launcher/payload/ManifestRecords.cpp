// The record walk: the count from the header, then one record after another from offset 8.
#include "payload/ManifestRecords.h"

#include "payload/LittleEndian.h"
#include "payload/PayloadCodes.h"

std::optional<RecordFault> ReadManifestRecords(
    const PayloadViews& views, const std::function<bool(PayloadEntry& record)>& onRecord) {
    const std::int32_t count = ReadInt32Le(views.manifest.data + 4);
    // Every record that parses moves the cursor by at least 29 bytes, so a count far larger than
    // the records present stops at the first missing one.
    std::int32_t cursor = 8;
    for (std::int32_t i = 0; i < count; ++i) {
        PayloadEntry record;
        const std::int32_t result = record.Parse(views, cursor, i);
        if (result != PayloadCode::Ok) {
            return RecordFault{i, result};
        }
        if (!onRecord(record)) {
            break;
        }
    }
    return std::nullopt;
}
