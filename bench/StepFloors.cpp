#include "StepFloors.h"

#include <windows.h>

#include <zstd.h>

#include <memory>
#include <set>

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/Crc32c.h"

namespace {

constexpr DWORD PieceSize = 65536;

void MakeFolders(const std::wstring& root, const std::wstring& folder,
                 std::set<std::wstring>& made) {
    std::wstring level = root;
    for (const std::wstring_view element : PathElements(folder)) {
        level = JoinPath(level, element);
        if (made.insert(level).second) {
            CreateDirectoryW(level.c_str(), nullptr);
        }
    }
}

}  // namespace

std::vector<FloorFile> FloorFiles(const PendingEntries& entries) {
    std::vector<FloorFile> files;
    for (const auto& [key, entry] : entries) {
        files.push_back({entry->folder, entry->relativePath, entry->compressedData,
                         static_cast<std::size_t>(entry->compressedSize),
                         static_cast<std::size_t>(entry->contentSize)});
    }
    return files;
}

std::uint64_t ReadAndChecksum(const std::wstring& root, const std::vector<FloorFile>& files) {
    std::vector<std::uint8_t> buffer(PieceSize);
    std::uint64_t sum = 0;
    for (const FloorFile& file : files) {
        const std::wstring path = JoinPath(root, file.relativePath);
        const HANDLE handle =
            CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            continue;
        }
        std::uint32_t crc = 0;
        DWORD got = 0;
        while (ReadFile(handle, buffer.data(), PieceSize, &got, nullptr) && got > 0) {
            crc = Crc32c(crc, buffer.data(), got);
        }
        CloseHandle(handle);
        sum += crc;
    }
    return sum;
}

std::uint64_t DecodeAndWrite(const std::wstring& root, const std::vector<FloorFile>& files) {
    std::vector<std::uint8_t> buffer;
    std::set<std::wstring> made;
    std::uint64_t sum = 0;
    for (const FloorFile& file : files) {
        MakeFolders(root, file.folder, made);
        buffer.resize(file.contentSize);
        const std::size_t decoded =
            ZSTD_decompress(buffer.data(), buffer.size(), file.compressedData, file.compressedSize);
        const std::wstring path = JoinPath(root, file.relativePath);
        const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            continue;
        }
        DWORD written = 0;
        WriteFile(handle, buffer.data(), static_cast<DWORD>(buffer.size()), &written, nullptr);
        CloseHandle(handle);
        sum += decoded + written;
    }
    return sum;
}

std::uint64_t DecodeOnly(const std::vector<FloorFile>& files, std::vector<std::uint8_t>& buffer) {
    std::uint64_t sum = 0;
    for (const FloorFile& file : files) {
        sum += ZSTD_decompress(buffer.data(), file.contentSize, file.compressedData,
                               file.compressedSize);
    }
    return sum;
}

std::uint64_t DecodeWithCopyAndChecksums(const std::vector<FloorFile>& files) {
    std::uint64_t sum = 0;
    for (const FloorFile& file : files) {
        const std::vector<std::uint8_t> copy(file.compressedData,
                                             file.compressedData + file.compressedSize);
        sum += Crc32c(0, copy.data(), copy.size());
        const std::unique_ptr<std::uint8_t[]> content(new std::uint8_t[file.contentSize]);
        sum += ZSTD_decompress(content.get(), file.contentSize, copy.data(), copy.size());
        sum += Crc32c(0, content.get(), file.contentSize);
    }
    return sum;
}
