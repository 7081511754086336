// Three guarded stretches: make the folder chain, clear the file's place, open and write. Errors
// in the first two are ignored, because the open decides; a failed open is the one fatal
// file-system failure. The stream is closed before any report. Runs on the launch thread.
#include "workdir/WriteExtractedFile.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <fstream>

#include "launch/FatalError.h"
#include "launch/FatalText.h"
#include "workdir/FileSystem.h"
#include "workdir/PathRules.h"

namespace {

// Makes every level of folder below workingDirectory a directory, replacing a non-directory in
// the way. A level that cannot be made is left for the open to find.
void MakeFolderChain(const std::wstring& workingDirectory, const std::wstring& folder,
                     const std::wstring& folderDirectory) {
    if (IsDirectoryFollowingLinks(folderDirectory) == true) {
        return;
    }
    std::wstring level = workingDirectory;
    std::size_t pos = 0;
    while (pos < folder.size()) {
        if (IsPathSeparator(folder[pos])) {
            ++pos;
            continue;
        }
        std::size_t end = pos;
        while (end < folder.size() && !IsPathSeparator(folder[end])) {
            ++end;
        }
        level = JoinPath(level, std::wstring_view(folder).substr(pos, end - pos));
        pos = end;
        if (IsDirectoryFollowingLinks(level) == true) {
            continue;
        }
        if (PathExists(level)) {
            RemoveTree(level);
        }
        CreateSingleDirectory(level);
    }
}

}  // namespace

bool WriteExtractedFile(const std::wstring& workingDirectory,
                        const std::shared_ptr<PayloadEntry>& entry) {
    const std::wstring folderDirectory = JoinPath(workingDirectory, entry->folder);
    const std::wstring fullPath = JoinPath(folderDirectory, entry->name);
    if (PathEscapesBase(JoinPath(entry->folder, entry->name))) {
        ReportFatalError(WriteFileFailedText, fullPath);
    }

    try {
        MakeFolderChain(workingDirectory, entry->folder, folderDirectory);
    } catch (const std::exception&) {
    }

    try {
        RemoveTree(fullPath);
    } catch (const std::exception&) {
    }

    bool opened = false;
    try {
        std::ofstream out(std::filesystem::path(fullPath), std::ios::binary | std::ios::trunc);
        opened = out.is_open() && !out.fail();
        if (opened) {
            const std::size_t size =
                std::min(static_cast<std::size_t>(std::max<std::int32_t>(entry->contentSize, 0)),
                         entry->content.size());
            out.write(reinterpret_cast<const char*>(entry->content.data()),
                      static_cast<std::streamsize>(size));
        }
    } catch (const std::exception&) {
        opened = false;
    }
    if (!opened) {
        ReportFatalError(WriteFileFailedText, fullPath);
    }
    return true;
}
