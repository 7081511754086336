#include "tests/support/FolderSnapshot.h"

#include <system_error>

#include "tests/support/FileBytes.h"
#include "tests/support/TestFileSystem.h"

FolderSnapshot SnapshotFolder(const std::filesystem::path& root) {
    FolderSnapshot items;
    std::error_code error;
    std::error_code ignored;  // an item that changes meanwhile is recorded as it was found
    for (auto item = std::filesystem::recursive_directory_iterator(root, error);
         !error && item != std::filesystem::recursive_directory_iterator(); item.increment(error)) {
        SnapshotItem& entry = items[std::filesystem::relative(item->path(), root).wstring()];
        if (IsLink(item->path())) {
            entry.kind = SnapshotItem::Kind::Link;
            item.disable_recursion_pending();
        } else if (item->is_directory(ignored)) {
            entry.kind = SnapshotItem::Kind::Folder;
        } else {
            entry.bytes = ReadFileBytes(item->path()).value_or(Bytes{});
            entry.written = item->last_write_time(ignored);
        }
    }
    return items;
}

void PrintTo(const SnapshotItem& item, std::ostream* out) {
    const char* const kinds[] = {"file", "folder", "link"};
    *out << kinds[static_cast<int>(item.kind)];
    if (item.kind == SnapshotItem::Kind::File) {
        *out << " of " << item.bytes.size() << " bytes written at "
             << item.written.time_since_epoch().count();
    }
}
