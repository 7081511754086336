// Levels of a path are compared with the pending entries' own key equality, which ignores letter
// case as Windows does; spellings are compared exactly, with separators made one backslash.
#include "Launcher/payload/UnsafeRecords.h"

#include <algorithm>
#include <set>
#include <unordered_map>
#include <utility>

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/ManifestRecords.h"

namespace {

RecordPath PathOf(const PayloadEntry& entry) {
    return {entry.index, entry.folder, entry.name, entry.relativePath};
}

// Gives the levels of a path from the top: "a", "a\b", "a\b\c.txt", separators made one
// backslash.
std::vector<std::wstring> Levels(std::wstring_view relativePath) {
    std::vector<std::wstring> levels;
    std::wstring level;
    for (const std::wstring_view element : PathElements(relativePath)) {
        if (!level.empty()) {
            level += L'\\';
        }
        level += element;
        levels.push_back(level);
    }
    return levels;
}

using LevelMap =
    std::unordered_map<std::wstring, const RecordPath*, PathKeyHasher, PathKeyEquality>;

}  // namespace

std::vector<RecordPath> ReadRecordPaths(const PayloadViews& views) {
    std::vector<RecordPath> records;
    ReadManifestRecords(views, [&records](PayloadEntry& record) {
        records.push_back(PathOf(record));
        return true;
    });
    return records;
}

std::vector<UnsafeRecord> UnsafeRecords(const std::vector<RecordPath>& records) {
    LevelMap folders;
    for (const RecordPath& record : records) {
        for (const std::wstring& level : Levels(record.folder)) {
            folders.emplace(level, &record);
        }
    }
    std::vector<UnsafeRecord> unsafe;
    for (const RecordPath& record : records) {
        std::string reason = UnsafeRecordPathReason(record.folder, record.name);
        if (const auto folder = folders.find(record.relativePath);
            reason.empty() && folder != folders.end()) {
            reason = "the path is also a folder of record " +
                     std::to_string(folder->second->index) +
                     ", and a file and a folder cannot share one place";
        }
        if (!reason.empty()) {
            unsafe.push_back({record, std::move(reason)});
        }
    }
    return unsafe;
}

std::vector<CaseCollision> CaseCollisions(const std::vector<RecordPath>& records) {
    LevelMap spellings;
    std::set<std::pair<std::wstring, std::wstring>> reported;
    std::vector<CaseCollision> collisions;
    for (const RecordPath& record : records) {
        for (const std::wstring& level : Levels(record.relativePath)) {
            const auto [seen, first] = spellings.emplace(level, &record);
            if (first || seen->first == level) {
                continue;
            }
            if (reported.emplace(seen->first, level).second) {
                collisions.push_back({*seen->second, record, seen->first, level});
            }
            // The levels below a differing one differ too; one report says it.
            break;
        }
    }
    return collisions;
}
