// What a folder holds, taken before and after a step to tell what the step changed: every item
// below it by relative path; a file with its bytes and last-write time, a folder, or a link,
// which is recorded and never followed. Portable.
#pragma once

#include <filesystem>
#include <map>
#include <ostream>
#include <string>

#include "tests/support/TestBytes.h"

struct SnapshotItem {
    enum class Kind { File, Folder, Link };
    Kind kind = Kind::File;
    Bytes bytes;                                // a file's content
    std::filesystem::file_time_type written{};  // a file's last-write time

    bool operator==(const SnapshotItem&) const = default;
};

using FolderSnapshot = std::map<std::wstring, SnapshotItem>;

// Takes the snapshot of everything below root; empty when root cannot be listed. A file that
// cannot be read is recorded with no bytes.
FolderSnapshot SnapshotFolder(const std::filesystem::path& root);

// Prints an item in a test's failure message: its kind and a file's size, never its bytes.
void PrintTo(const SnapshotItem& item, std::ostream* out);
