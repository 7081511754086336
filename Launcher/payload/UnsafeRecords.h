// The payload-wide use of the record path rule: a payload with any unsafe record path is refused
// whole, before a start touches the working folder. Portable.
#pragma once

#include "Launcher/payload/PendingEntries.h"

// Gives the entry with the lowest manifest index whose folder and name are unsafe (see
// UnsafeRecordPathReason), or null when every one is safe. Records dropped for repeating a path
// share the verdict of the one kept, so checking the kept ones checks every record.
const PayloadEntry* FirstUnsafeRecord(const PendingEntries& entries);
