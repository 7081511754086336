// The dry run of a start's synchronisation. It copies the pending map and strikes entries from
// the copy, so what is left at the end is exactly what a start would write in its last phase.
// What happens to each listed item is the launcher's own decision, on the launcher's checksum.
#include "Packer/WorkFolderDiff.h"

#include <algorithm>
#include <system_error>

#include "Launcher/base/PathRules.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Launcher/workdir/FileChecksum.h"
#include "Launcher/workdir/ItemDecision.h"
#include "Packer/FileKind.h"
#include "Packer/Utf16.h"

namespace {

std::wstring NameText(const std::filesystem::path& name) {
    if (auto text = PathToUtf16(name)) {
        return *text;
    }
    return Utf8ToUtf16(PathToUtf8(name)).value_or(std::wstring{});
}

// Turns a payload path (either separator) into a path below dir on this machine.
std::filesystem::path OnDisk(const std::filesystem::path& dir, std::wstring_view relative) {
    std::filesystem::path path = dir;
    for (const std::wstring_view element : PathElements(relative)) {
        path /= PathFromUtf8(Utf16ToUtf8(element));
    }
    return path;
}

// Tells what an item that is not a real directory is with links followed, as the launcher's
// directory test does: a link whose target is missing is a file; one whose target cannot be
// examined, or an item whose own type cannot be read, is of unknown type.
ListedType FollowedType(const std::filesystem::path& item, FileKind kind) {
    if (kind == FileKind::Missing) {
        return ListedType::Unknown;
    }
    if (kind != FileKind::Link) {
        return ListedType::File;
    }
    std::error_code error;
    const auto target = std::filesystem::status(item, error);
    if (target.type() == std::filesystem::file_type::not_found) {
        return ListedType::File;
    }
    if (error) {
        return ListedType::Unknown;
    }
    return std::filesystem::is_directory(target) ? ListedType::Directory : ListedType::File;
}

// Gives the row for what the walk does with an item; an item passed over gets no row.
DiffAction RowAction(ItemAction action) {
    switch (action) {
        case ItemAction::Keep:
            return DiffAction::Keep;
        case ItemAction::Delete:
            return DiffAction::Delete;
        case ItemAction::Spare:
            return DiffAction::Spare;
        case ItemAction::Rewrite:
        case ItemAction::Pass:
            break;
    }
    return DiffAction::Rewrite;
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
        if (kind == FileKind::Directory) {
            Folder(item, relative);
            return;
        }
        const ItemDecision decision =
            DecideListedItem(FollowedType(item, kind), name, relative, pending,
                             [&] { return ComputeFileChecksum(item); });
        if (decision.action == ItemAction::Pass) {
            return;  // a link to a directory is not descended into; an unknown item stays
        }
        const bool hasEntry = decision.entry != pending.end();
        diff.rows.push_back(
            {RowAction(decision.action), relative, hasEntry ? decision.entry->second->index : -1});
        if (hasEntry) {
            pending.erase(decision.entry);
        }
    }
};

}  // namespace

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
        // The payload's Config.ini is a default, never written over anything at its path.
        const bool spared = entry->name == SharedName::SparedFile &&
                            std::filesystem::exists(std::filesystem::symlink_status(target, error));
        walk.diff.rows.push_back({spared           ? DiffAction::Spare
                                  : folderInTheWay ? DiffAction::WriteReplacingFolder
                                                   : DiffAction::Write,
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
