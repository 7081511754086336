// The dry run of a start's synchronisation. It copies the pending map and strikes entries from
// the copy, so what is left at the end is exactly what a start would write in its last phase.
#include "Packer/WorkFolderDiff.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <system_error>

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Packer/FileKind.h"
#include "Packer/Utf16.h"

namespace {

constexpr std::wstring_view SparedName = L"Config.ini";
constexpr std::size_t ChecksumPiece = 65536;

std::wstring NameText(const std::filesystem::path& name) {
    if (auto text = PathToUtf16(name)) {
        return *text;
    }
    return Utf8ToUtf16(PathToUtf8(name)).value_or(std::wstring{});
}

// Turns a payload path (either separator) into a path below dir on this machine.
std::filesystem::path OnDisk(const std::filesystem::path& dir, std::wstring_view relative) {
    std::filesystem::path path = dir;
    std::size_t at = 0;
    while (at <= relative.size()) {
        std::size_t end = at;
        while (end < relative.size() && !IsPathSeparator(relative[end])) {
            ++end;
        }
        if (end > at) {
            path /= PathFromUtf8(Utf16ToUtf8(relative.substr(at, end - at)));
        }
        at = end + 1;
    }
    return path;
}

struct DiffWalk {
    PendingEntries pending;
    FolderDiff diff;
    bool stopped = false;

    // Lists one folder, depth first, as the launcher's listing does; a folder that cannot be
    // read ends the whole listing, as it ends the launcher's.
    void Folder(const std::filesystem::path& dir, const std::wstring& relative) {
        std::error_code error;
        std::vector<std::filesystem::path> items;
        std::filesystem::directory_iterator it(dir, error);
        for (const std::filesystem::directory_iterator end; !error && it != end;
             it.increment(error)) {
            items.push_back(it->path());
        }
        if (error) {
            stopped = true;
            diff.notes.push_back(PathToUtf8(dir) + ": cannot be listed (" + error.message() +
                                 "); a start's listing ends here too, so nothing after it is "
                                 "checked or deleted");
        }
        std::sort(items.begin(), items.end());
        for (const auto& item : items) {
            if (stopped) {
                return;
            }
            const std::wstring name = NameText(item.filename());
            const std::wstring path = relative.empty() ? name : relative + L'\\' + name;
            Item(item, name, path);
        }
    }

    void Item(const std::filesystem::path& item, const std::wstring& name,
              const std::wstring& relative) {
        const FileKind kind = ClassifyItem(item);
        std::error_code error;
        if (kind == FileKind::Directory) {
            Folder(item, relative);
            return;
        }
        if (std::filesystem::is_directory(item, error)) {
            return;  // a link to a directory counts as one, and is not descended into
        }
        if (name == SparedName) {
            diff.rows.push_back({DiffAction::Spare, relative, -1});
            return;
        }
        const auto found = pending.find(relative);
        if (found == pending.end()) {
            diff.rows.push_back({DiffAction::Delete, relative, -1});
            return;
        }
        const auto& entry = *found->second;
        const bool right = ChecksumFile(item) == entry.contentCrc;
        diff.rows.push_back(
            {right ? DiffAction::Keep : DiffAction::Rewrite, relative, entry.index});
        pending.erase(found);
    }
};

}  // namespace

std::uint32_t ChecksumFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::uint32_t crc = 0;
    if (!in) {
        return crc;
    }
    std::vector<char> piece(ChecksumPiece);
    while (in) {
        in.read(piece.data(), static_cast<std::streamsize>(piece.size()));
        crc = Crc32c(crc, piece.data(), static_cast<std::size_t>(in.gcount()));
    }
    return crc;
}

FolderDiff DiffWorkingFolder(const std::filesystem::path& dir, const PendingEntries& entries) {
    if (const PayloadEntry* unsafe = FirstUnsafeRecord(entries)) {
        FolderDiff refused;
        refused.notes.push_back(
            "record " + std::to_string(unsafe->index) + " (" + PrintableUtf8(unsafe->relativePath) +
            "): " + std::string(UnsafeRecordPathReason(unsafe->folder, unsafe->name)) +
            "; a start changes nothing and ends with the write-file-failed report");
        return refused;
    }
    DiffWalk walk{entries, {}, false};
    walk.Folder(dir, L"");

    std::vector<const PayloadEntry*> remaining;
    for (const auto& [key, entry] : walk.pending) {
        remaining.push_back(entry.get());
    }
    std::sort(remaining.begin(), remaining.end(),
              [](const PayloadEntry* a, const PayloadEntry* b) { return a->index < b->index; });
    for (const PayloadEntry* entry : remaining) {
        const std::filesystem::path target = OnDisk(dir, entry->relativePath);
        std::error_code error;
        const bool folderInTheWay = ClassifyItem(target) == FileKind::Directory ||
                                    std::filesystem::is_directory(target, error);
        walk.diff.rows.push_back(
            {folderInTheWay ? DiffAction::WriteReplacingFolder : DiffAction::Write,
             entry->relativePath, entry->index});
    }
    return std::move(walk.diff);
}

const char* DiffActionName(DiffAction action) {
    switch (action) {
        case DiffAction::Keep:
            return "keep";
        case DiffAction::Rewrite:
            return "rewrite";
        case DiffAction::Delete:
            return "delete";
        case DiffAction::Spare:
            return "spare";
        case DiffAction::Write:
        case DiffAction::WriteReplacingFolder:
            return "write";
    }
    return "?";
}
