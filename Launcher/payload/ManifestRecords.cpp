// The record walk: the count from the header, then one record after another from offset 8.
#include "Launcher/payload/ManifestRecords.h"

#include "Launcher/payload/LittleEndian.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadFormat.h"

std::optional<RecordFault> ReadManifestRecords(
    const PayloadViews& views, const std::function<bool(PayloadEntry& record)>& onRecord) {
    const std::int32_t count = ReadInt32Le(views.manifest.data + PayloadFormat::CountOffset);
    // Every record that parses moves the cursor past its fixed words and a name of at least one
    // byte, so a count far larger than the records present stops at the first missing one.
    std::int32_t cursor = PayloadFormat::ManifestHeaderSize;
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
