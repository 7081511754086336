// Brings a payload into memory for list, check and diff: either the two resource files that
// pack wrote, or a built launcher whose resources are found in its PE file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Launcher/payload/ByteView.h"

struct PayloadSource {
    std::filesystem::path exe;  // a built launcher, or empty when the two files are given
    std::filesystem::path manifest;
    std::filesystem::path blob;
};

// Owns the bytes the views point into; move it, never copy it.
struct LoadedPayload {
    std::vector<std::uint8_t> exeBytes;
    std::vector<std::uint8_t> manifestBytes;
    std::vector<std::uint8_t> blobBytes;
    PayloadViews views;
    std::int32_t loaderCode = 0;  // the launcher's loader result: 0, 1-4 or 11-14
    std::vector<std::string> warnings;
};

// Reads the source. A resource that is empty or shorter than its header gets the loader's code
// (4 or 14), as in a launcher. Returns false with error naming the file when it cannot be read,
// is 2 GiB or larger, or (for an exe) is not a PE image.
bool LoadPayload(const PayloadSource& source, LoadedPayload& payload, std::string& error);

// Reads a whole file. Returns false with error naming it when it cannot be read.
bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error);
