// The payload-wide rules on record paths. A start refuses a payload with any unsafe record whole,
// before it touches the working folder; nimbrel-pack's pack, check and embed refuse the same
// records in the same words, and also refuse paths that differ only in letter case. Every record
// is judged, repeats of an earlier path included. Portable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Launcher/payload/ByteView.h"

// One record's path, at its place in the manifest.
struct RecordPath {
    std::int32_t index = 0;
    std::wstring folder;
    std::wstring name;
    std::wstring relativePath;  // folder joined with name, as the pending entries are keyed
};

struct UnsafeRecord {
    RecordPath record;
    std::string reason;  // "the name ...", "a folder element ...", "the path ..."
};

// Two records whose paths Windows takes for the same file or folder at some level, though they
// are spelled differently there: firstSpelling and secondSpelling are those levels.
struct CaseCollision {
    RecordPath first;
    RecordPath second;
    std::wstring firstSpelling;
    std::wstring secondSpelling;
};

// Gives every record's path in manifest order, repeats included. The payload has passed
// VerifyAndParsePayload.
std::vector<RecordPath> ReadRecordPaths(const PayloadViews& views);

// Gives every record a start refuses, in the order of records: its folder or name breaks the
// element rule (UnsafeRecordPathReason, which also refuses a folder named as the settings file),
// or its path is, in any letter case, a folder of another record, so that a file and a folder
// would need one place.
std::vector<UnsafeRecord> UnsafeRecords(const std::vector<RecordPath>& records);

// Gives each pair of records spelled differently at a level Windows takes for one (the whole path
// or a folder), once per pair of spellings, in the order of records. Exact repeats of a path are
// not collisions.
std::vector<CaseCollision> CaseCollisions(const std::vector<RecordPath>& records);
