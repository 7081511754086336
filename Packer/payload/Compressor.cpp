// zstd compression of pack files. One compression context per worker thread, reused across its
// files; workers take the next file index from a shared counter, so a slow file does not hold
// up the others, and every result lands in its own slot.
#include "Packer/payload/Compressor.h"

#define ZSTD_STATIC_LINKING_ONLY
#include <zstd.h>

#include <algorithm>
#include <atomic>
#include <fstream>
#include <memory>
#include <mutex>
#include <thread>

#include "Launcher/base/Utf16.h"
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/PayloadFormat.h"

namespace {

constexpr std::uint8_t SingleSegmentBit = 0x20;
constexpr std::size_t FrameDescriptorOffset = 4;

struct ContextDeleter {
    void operator()(ZSTD_CCtx* context) const { ZSTD_freeCCtx(context); }
};
using Context = std::unique_ptr<ZSTD_CCtx, ContextDeleter>;

// Gives the window that holds the whole content, so that the frame is single-segment even when
// the file is larger than the level's own window.
int WindowLogFor(std::size_t size) {
    int log = ZSTD_WINDOWLOG_MIN;
    while (log < ZSTD_WINDOWLOG_MAX && (std::size_t{1} << log) < size) {
        ++log;
    }
    return log;
}

std::string CheckFrameShape(const std::vector<std::uint8_t>& frame, std::size_t contentSize) {
    ZSTD_FrameHeader header{};
    if (ZSTD_getFrameHeader(&header, frame.data(), frame.size()) != 0 ||
        header.frameType != ZSTD_frame) {
        return "zstd produced no readable frame header";
    }
    if (header.frameContentSize != contentSize) {
        return "the frame header does not carry the content size";
    }
    if (header.checksumFlag != 0 || header.dictID != 0) {
        return "the frame carries a content checksum or a dictionary id";
    }
    if ((frame[FrameDescriptorOffset] & SingleSegmentBit) == 0) {
        return "the frame is not single-segment (the file is too large for this build's window)";
    }
    if (ZSTD_findFrameCompressedSize(frame.data(), frame.size()) != frame.size()) {
        return "the compressed range is not exactly one frame";
    }
    return {};
}

bool CompressWith(ZSTD_CCtx* context, std::span<const std::uint8_t> content, int level,
                  PackedFile& packed, std::string& error) {
    if (content.size() > static_cast<std::uint64_t>(PayloadFormat::LargestResourceSize)) {
        error = "content of 2 GiB or more";
        return false;
    }
    ZSTD_CCtx_reset(context, ZSTD_reset_session_and_parameters);
    const size_t settings[] = {
        ZSTD_CCtx_setParameter(context, ZSTD_c_compressionLevel, level),
        ZSTD_CCtx_setParameter(context, ZSTD_c_contentSizeFlag, 1),
        ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 0),
        ZSTD_CCtx_setParameter(context, ZSTD_c_dictIDFlag, 0),
        ZSTD_CCtx_setParameter(context, ZSTD_c_windowLog, WindowLogFor(content.size())),
    };
    for (const size_t result : settings) {
        if (ZSTD_isError(result)) {
            error = std::string("zstd rejected a setting: ") + ZSTD_getErrorName(result);
            return false;
        }
    }
    packed.frame.resize(ZSTD_compressBound(content.size()));
    const size_t written = ZSTD_compress2(context, packed.frame.data(), packed.frame.size(),
                                          content.data(), content.size());
    if (ZSTD_isError(written)) {
        error = std::string("zstd failed: ") + ZSTD_getErrorName(written);
        return false;
    }
    packed.frame.resize(written);
    packed.frame.shrink_to_fit();
    if (std::string shape = CheckFrameShape(packed.frame, content.size()); !shape.empty()) {
        error = std::move(shape);
        return false;
    }
    packed.contentSize = static_cast<std::int32_t>(content.size());
    packed.contentCrc = Crc32c(0, content.data(), content.size());
    packed.compressedCrc = Crc32c(0, packed.frame.data(), packed.frame.size());
    return true;
}

bool ReadWholeFile(const SourceFile& file, std::vector<std::uint8_t>& content, std::string& error) {
    std::ifstream in(file.path, std::ios::binary);
    if (!in) {
        error = "cannot be opened for reading";
        return false;
    }
    content.resize(static_cast<std::size_t>(file.size));
    in.read(reinterpret_cast<char*>(content.data()), static_cast<std::streamsize>(file.size));
    if (static_cast<std::uint64_t>(in.gcount()) != file.size || in.peek() != EOF) {
        error = "changed size while being packed (or could not be read)";
        return false;
    }
    return true;
}

}  // namespace

bool CompressContent(std::span<const std::uint8_t> content, int level, PackedFile& packed,
                     std::string& error) {
    const Context context(ZSTD_createCCtx());
    if (!context) {
        error = "cannot create a zstd context";
        return false;
    }
    return CompressWith(context.get(), content, level, packed, error);
}

bool CompressFiles(const std::vector<SourceFile>& files, int level, unsigned jobs,
                   const PackProgress& progress, std::vector<PackedFile>& packed,
                   std::string& error) {
    packed.assign(files.size(), PackedFile{});
    if (files.empty()) {
        return true;
    }
    std::vector<std::string> errors(files.size());
    std::atomic<std::size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex progressLock;

    auto worker = [&] {
        const Context context(ZSTD_createCCtx());
        std::vector<std::uint8_t> content;
        for (std::size_t i = next++; i < files.size() && !failed; i = next++) {
            bool ok = false;
            try {
                if (!context) {
                    errors[i] = "cannot create a zstd context";
                } else {
                    ok = ReadWholeFile(files[i], content, errors[i]) &&
                         CompressWith(context.get(), content, level, packed[i], errors[i]);
                }
            } catch (const std::bad_alloc&) {
                errors[i] = "not enough memory to pack it";
            }
            if (!ok) {
                failed = true;
                continue;
            }
            if (progress) {
                const std::lock_guard<std::mutex> hold(progressLock);
                progress(i, packed[i]);
            }
        }
    };

    const unsigned count = std::clamp<unsigned>(jobs, 1, static_cast<unsigned>(files.size()));
    std::vector<std::thread> threads;
    for (unsigned t = 1; t < count; ++t) {
        threads.emplace_back(worker);
    }
    worker();
    for (auto& thread : threads) {
        thread.join();
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        if (!errors[i].empty()) {
            error = PathToUtf8(files[i].path) + ": " + errors[i];
            return false;
        }
    }
    return true;
}
