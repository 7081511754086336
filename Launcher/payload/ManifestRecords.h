// Walks the records of a manifest in their order, each read from the bytes by the record
// grammar. The launcher's checks, nimbrel-pack's list and its check all walk the records here,
// so they agree on where a record starts and on the code of one that cannot be read.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "Launcher/payload/ByteView.h"
#include "Launcher/payload/PayloadEntry.h"

// The first record that could not be read: its position and its PayloadEntry::Parse code.
struct RecordFault {
    std::int32_t index = 0;
    std::int32_t code = 0;
};

// Reads as many records as the manifest's header counts (none when the count is not positive)
// and hands each to onRecord, which may take what it needs from it and returns false to stop
// the walk. Returns the first record that fails to parse, or nothing. The caller has checked
// that the manifest holds at least its 8-byte header.
std::optional<RecordFault> ReadManifestRecords(
    const PayloadViews& views, const std::function<bool(PayloadEntry& record)>& onRecord);
