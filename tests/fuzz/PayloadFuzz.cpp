// libFuzzer target: one input holds a manifest and a blob (FuzzInput.h), which go through the
// launcher's checks, record parsing and decompression of every entry. Besides the sanitizers it
// checks what the callers rely on: a parsed range lies inside the blob, and a decompressed entry
// holds exactly contentSize bytes with the right checksum.
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/PayloadVerify.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/Require.h"

namespace {

// Larger files are parsed but not decoded: filling gigabytes per input would only slow the run.
constexpr std::int32_t maximumDecodedSize = 16 << 20;

void FixChecksum(std::vector<std::uint8_t>& resource) {
    if (resource.size() < 4) {
        return;
    }
    const std::uint32_t crc = Crc32c(0, resource.data() + 4, resource.size() - 4);
    for (std::size_t i = 0; i < 4; ++i) {
        resource[i] = static_cast<std::uint8_t>(crc >> (8 * i) & 0xFF);
    }
}

void CheckEntry(const PayloadViews& views, PayloadEntry& entry, std::uint8_t flags) {
    Require(entry.compressedSize >= 0);
    Require(entry.compressedData >= views.blob.data + 4);
    Require(entry.compressedData + entry.compressedSize <= views.blob.data + views.blob.size);
    if (entry.contentSize > maximumDecodedSize) {
        return;
    }
    if (flags & FuzzFlag::FixRangeChecksums) {
        entry.compressedCrc = Crc32c(0, entry.compressedData, entry.compressedSize);
    }
    std::int32_t result = entry.Decompress();
    if (result == -14 && (flags & FuzzFlag::FixContentChecksums)) {
        entry.contentCrc = Crc32c(0, entry.content.data(), entry.content.size());
        result = entry.Decompress();
        Require(result == 0);
    }
    Require(result == 0 || result == -12 || result == -13 || result == -14);
    if (result == 0) {
        Require(entry.content.size() == static_cast<std::size_t>(entry.contentSize));
        Require(Crc32c(0, entry.content.data(), entry.content.size()) == entry.contentCrc);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzPayload input = DecodeFuzzInput(data, size);
    if (input.flags & FuzzFlag::FixHeaderChecksums) {
        FixChecksum(input.manifest);
        FixChecksum(input.blob);
    }
    const PayloadViews views = {{input.manifest.empty() ? nullptr : input.manifest.data(),
                                 static_cast<std::int32_t>(input.manifest.size())},
                                {input.blob.empty() ? nullptr : input.blob.data(),
                                 static_cast<std::int32_t>(input.blob.size())}};
    PendingEntries entries;
    if (const std::optional<StageError> error = VerifyAndParsePayload(views, entries)) {
        Require(error->stage >= 1 && error->stage <= 5);
        return 0;
    }
    Require(!entries.empty());
    for (auto& [key, entry] : entries) {
        Require(key == entry->relativePath);
        CheckEntry(views, *entry, input.flags);
    }
    return 0;
}
