// Turns the files of a pack folder into payload records' compressed frames, in parallel over
// files. Each file becomes exactly one standard zstd frame (single segment, content size in the
// header, no content checksum, no dictionary id); the bytes depend only on the content and the
// level, never on the number of threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "Packer/payload/FolderScan.h"

struct PackedFile {
    std::vector<std::uint8_t> frame;  // the compressed range
    std::int32_t contentSize = 0;
    std::uint32_t contentCrc = 0;
    std::uint32_t compressedCrc = 0;
};

// Compresses content as one frame at level and checks the frame header it produced. Returns
// false with error set when zstd fails or the frame is not shaped as the payload requires.
bool CompressContent(std::span<const std::uint8_t> content, int level, PackedFile& packed,
                     std::string& error);

// Called once per finished file, from the worker that packed it, one call at a time.
using PackProgress = std::function<void(std::size_t index, const PackedFile& packed)>;

// Reads and compresses every file with up to jobs threads; packed[i] belongs to files[i].
// Returns false with error naming the first file (in list order) that could not be read or
// compressed, or that changed size or grew to 2 GiB since it was listed.
bool CompressFiles(const std::vector<SourceFile>& files, int level, unsigned jobs,
                   const PackProgress& progress, std::vector<PackedFile>& packed,
                   std::string& error);
