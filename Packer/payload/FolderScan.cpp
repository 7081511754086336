// The pack folder walk. Problems are collected rather than stopping at the first, so one run
// shows the engineer everything to fix; nothing is written while any problem stands.
#include "Packer/payload/FolderScan.h"

#include <algorithm>
#include <cstddef>
#include <system_error>
#include <utility>

#include "Launcher/base/PathRules.h"
#include "Launcher/base/Utf16.h"
#include "Launcher/payload/PayloadFormat.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Launcher/workdir/Listing.h"

namespace {

constexpr std::size_t DeepestFolder = 2;

struct Walk {
    FolderScan scan;

    void Folder(const std::filesystem::path& dir, std::vector<std::wstring>& elements) {
        std::error_code error;
        std::filesystem::directory_iterator it(dir, error);
        const std::filesystem::directory_iterator end;
        bool empty = true;
        for (; !error && it != end; it.increment(error)) {
            empty = false;
            Item(it->path(), elements);
        }
        if (error) {
            scan.problems.push_back(PathToUtf8(dir) +
                                    ": cannot list the folder: " + error.message());
        } else if (empty && !elements.empty()) {
            scan.warnings.push_back(PathToUtf8(dir) +
                                    ": empty folder; the payload carries files only");
        }
    }

    void Item(const std::filesystem::path& path, std::vector<std::wstring>& elements) {
        const std::string shown = PathToUtf8(path);
        const auto name = PathToUtf16(path.filename());
        if (!name) {
            scan.problems.push_back(shown + ": the name is not valid UTF-8");
            return;
        }
        if (const std::string_view reason = UnsafePathElementReason(*name); !reason.empty()) {
            scan.problems.push_back(shown + ": the name " + std::string(reason));
            return;
        }
        // A link is what the launcher's listing calls one: on Windows libstdc++'s symlink_status
        // does not see junctions and symbolic links, so the item's own attributes are asked.
        std::error_code error;
        const auto type = std::filesystem::symlink_status(path, error).type();
        if (IsLinkItem(path)) {
            scan.problems.push_back(shown +
                                    ": is a symbolic link or junction; links are not packed");
        } else if (error || type == std::filesystem::file_type::not_found) {
            scan.problems.push_back(shown +
                                    ": cannot be read (it vanished or its type is unknown)");
        } else if (type == std::filesystem::file_type::directory) {
            elements.push_back(*name);
            if (elements.size() == DeepestFolder + 1) {
                scan.warnings.push_back(shown + ": folder is " + std::to_string(elements.size()) +
                                        " levels deep; payload folders are meant to be at most "
                                        "two levels deep");
            }
            Folder(path, elements);
            elements.pop_back();
        } else if (type == std::filesystem::file_type::regular) {
            File(path, elements, *name);
        } else {
            scan.problems.push_back(
                shown + ": is a special file (FIFO, socket or device), not a plain file");
        }
    }

    void File(const std::filesystem::path& path, const std::vector<std::wstring>& elements,
              const std::wstring& name) {
        std::error_code error;
        const std::uint64_t size = std::filesystem::file_size(path, error);
        if (error) {
            scan.problems.push_back(PathToUtf8(path) +
                                    ": cannot read its size: " + error.message());
            return;
        }
        if (size > static_cast<std::uint64_t>(PayloadFormat::LargestResourceSize)) {
            scan.problems.push_back(PathToUtf8(path) + ": is " + std::to_string(size) +
                                    " bytes; the payload holds files below 2 GiB only");
            return;
        }
        SourceFile file;
        file.path = path;
        for (const auto& element : elements) {
            if (!file.folder.empty()) {
                file.folder += L'\\';
            }
            file.folder += element;
        }
        file.name = name;
        file.relativePath = file.folder.empty() ? name : file.folder + L'\\' + name;
        file.size = size;
        scan.files.push_back(std::move(file));
    }
};

// Refuses what a start would refuse of the files as a whole, in the launcher's words, and every
// pair of paths that Windows would take for one file or folder.
void JudgeRecordPaths(FolderScan& scan) {
    std::vector<RecordPath> records;
    for (const SourceFile& file : scan.files) {
        records.push_back(
            {static_cast<std::int32_t>(records.size()), file.folder, file.name, file.relativePath});
    }
    for (const UnsafeRecord& unsafe : UnsafeRecords(records)) {
        const auto index = static_cast<std::size_t>(unsafe.record.index);
        scan.problems.push_back(PathToUtf8(scan.files[index].path) + ": " + unsafe.reason);
    }
    for (const CaseCollision& collision : CaseCollisions(records)) {
        scan.problems.push_back(Utf16ToUtf8(collision.secondSpelling) + ": differs from " +
                                Utf16ToUtf8(collision.firstSpelling) +
                                " only in letter case; Windows would take them for the same path");
    }
}

}  // namespace

FolderScan ScanPackFolder(const std::filesystem::path& root) {
    Walk walk;
    std::error_code error;
    if (!std::filesystem::is_directory(root, error)) {
        walk.scan.problems.push_back(PathToUtf8(root) + ": is not a folder");
        return std::move(walk.scan);
    }
    std::vector<std::wstring> elements;
    walk.Folder(root, elements);
    std::sort(
        walk.scan.files.begin(), walk.scan.files.end(),
        [](const SourceFile& a, const SourceFile& b) { return a.relativePath < b.relativePath; });
    JudgeRecordPaths(walk.scan);
    if (walk.scan.files.empty() && walk.scan.problems.empty()) {
        walk.scan.problems.push_back(PathToUtf8(root) + ": holds no files; a payload needs one");
    }
    return std::move(walk.scan);
}
