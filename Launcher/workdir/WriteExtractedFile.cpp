// Three guarded stretches: make the folder chain, clear the file's place, open and write. Errors
// in the first two are ignored, because the open decides; a failed open, write or close is the
// one file-system failure that ends a launch. The stream is closed before the failure is given
// back.
#include "Launcher/workdir/WriteExtractedFile.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>

#include "Launcher/base/PathRules.h"
#include "Launcher/report/FatalText.h"
#include "Launcher/workdir/FileSystem.h"
#include "Launcher/workdir/ItemDecision.h"

namespace {

// Makes every level of folder below workingDirectory a directory, replacing a non-directory in
// the way. A level that cannot be made is left for the open to find.
void MakeFolderChain(const std::wstring& workingDirectory, const std::wstring& folder,
                     const std::wstring& folderDirectory) {
    if (IsDirectoryFollowingLinks(folderDirectory) == true) {
        return;
    }
    std::wstring level = workingDirectory;
    for (const std::wstring_view element : PathElements(folder)) {
        level = JoinPath(level, element);
        // A level whose type cannot be found, such as a link to a share that is offline, is left
        // as it is: removing it could take what the user put there. The open decides.
        const std::optional<bool> isDirectory = IsDirectoryFollowingLinks(level);
        if (isDirectory != false) {
            continue;
        }
        if (PathExists(level)) {
            RemoveTree(level);
        }
        CreateSingleDirectory(level);
    }
}

}  // namespace

std::optional<LaunchFailure> WriteExtractedFile(const std::wstring& workingDirectory,
                                                const std::shared_ptr<PayloadEntry>& entry) {
    const std::wstring folderDirectory = JoinPath(workingDirectory, entry->folder);
    const std::wstring fullPath = JoinPath(folderDirectory, entry->name);
    // Defence only: a start refuses a payload with an unsafe record before it synchronises, but a
    // path that could leave the working folder is never opened, whoever calls.
    if (!UnsafeRecordPathReason(entry->folder, entry->name).empty()) {
        return PathFailure(WriteFileFailedText, fullPath);
    }
    // A payload's settings file is a default: never written over what stands at its path, even
    // where the walk did not reach the user's file (a listing that stopped early). Windows finds
    // the user's file whatever the letter case of its name.
    if (IsDefaultLeftAlone(entry->name, [&] { return PathExists(fullPath); })) {
        return std::nullopt;
    }

    try {
        MakeFolderChain(workingDirectory, entry->folder, folderDirectory);
    } catch (const std::exception&) {
    }

    try {
        RemoveTree(fullPath);
    } catch (const std::exception&) {
    }

    // Every byte the record promises must reach the file: a failed write (a full disk, a device
    // error) or close leaves a short file, which fails like a failed open. The stream is closed
    // before the failure is given back.
    bool written = false;
    try {
        std::ofstream out(std::filesystem::path(fullPath), std::ios::binary | std::ios::trunc);
        const auto size = static_cast<std::size_t>(std::max<std::int32_t>(entry->contentSize, 0));
        if (out.is_open() && !out.fail() && entry->content.size() >= size) {
            out.write(reinterpret_cast<const char*>(entry->content.data()),
                      static_cast<std::streamsize>(size));
            out.close();
            written = !out.fail();
        }
    } catch (const std::exception&) {
        written = false;
    }
    if (!written) {
        return PathFailure(WriteFileFailedText, fullPath);
    }
    return std::nullopt;
}
