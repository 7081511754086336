// Walks the folder a release engineer wants to pack and decides whether it can become a
// payload: every plain file is collected with its payload path, and everything the launcher
// could not reproduce on a Windows file system is reported as a problem naming the item.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

struct SourceFile {
    std::filesystem::path path;  // where the file is on disk
    std::wstring folder;         // UTF-16, elements joined with backslashes; empty at the top
    std::wstring name;           // UTF-16, one element
    std::wstring relativePath;   // folder and name joined with a backslash: the sort key
    std::uint64_t size = 0;
};

struct FolderScan {
    std::vector<SourceFile> files;      // sorted by relativePath, code unit by code unit
    std::vector<std::string> problems;  // reasons to refuse the folder, each naming the item
    std::vector<std::string> warnings;  // things worth saying that do not stop a pack
};

// Lists root recursively without following links. Refuses links, special files, files of 2 GiB
// or more, names that are empty, carry a drive, a separator or a ".." element or cannot be a
// Windows file name, a folder named as the settings file, a file at another file's folder, paths
// that differ only in letter case, and a folder without files; warns about folders more than two
// levels deep and about empty sub-folders (the payload has none).
FolderScan ScanPackFolder(const std::filesystem::path& root);
