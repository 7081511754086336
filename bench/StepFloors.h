// The floors the launcher's steps are held against: the least a program must do for the same
// result, written plainly on Win32 with no checks beyond the ones named.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Launcher/payload/PendingEntries.h"

// One payload file as the floors need it.
struct FloorFile {
    std::wstring folder;
    std::wstring relativePath;
    const std::uint8_t* compressedData = nullptr;
    std::size_t compressedSize = 0;
    std::size_t contentSize = 0;
};

std::vector<FloorFile> FloorFiles(const PendingEntries& entries);

// Reads every file under root in 65,536-byte pieces, as the launcher's check does, and
// checksums it. Returns the checksums' sum, so the work cannot be left out.
std::uint64_t ReadAndChecksum(const std::wstring& root, const std::vector<FloorFile>& files);

// Decodes every file with ZSTD_decompress into one reused buffer and writes it under root,
// making each folder once. No checksum, no check of what stands there.
std::uint64_t DecodeAndWrite(const std::wstring& root, const std::vector<FloorFile>& files);

// What decoding one file must do at least when the frame is first copied into a buffer of its
// own, both checksums are taken and the file gets a new buffer of its full size: the same as
// DecodeOnly plus that work, each buffer released after its file.
std::uint64_t DecodeWithCopyAndChecksums(const std::vector<FloorFile>& files);

// ZSTD_decompress of every frame into buffer, which the caller sizes for the largest file and
// touches beforehand, so that only decoding is timed.
std::uint64_t DecodeOnly(const std::vector<FloorFile>& files, std::vector<std::uint8_t>& buffer);
