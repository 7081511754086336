// Byte layout of the payload resources. All integers are 32-bit little-endian; texts are
// UTF-16LE without terminator and their lengths are counted in bytes.
#include "Packer/payload/PayloadBuilder.h"

#include <cstddef>

#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/PayloadFormat.h"
#include "Packer/pe/ByteFields.h"

namespace {

void PutWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void PutText(std::vector<std::uint8_t>& out, const std::wstring& text) {
    PutWord(out, static_cast<std::uint32_t>(text.size() * 2));
    for (const wchar_t c : text) {
        const auto unit = static_cast<std::uint16_t>(c);
        out.push_back(static_cast<std::uint8_t>(unit));
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
}

}  // namespace

bool BuildPayload(std::vector<PayloadRecord> records, PayloadBytes& out, std::string& error) {
    if (records.empty()) {
        error = "a payload needs at least one file";
        return false;
    }
    using namespace PayloadFormat;
    std::uint64_t manifestSize = ManifestHeaderSize;
    std::uint64_t blobSize = BlobHeaderSize;
    for (const auto& record : records) {
        manifestSize += RecordSizeWithoutTexts + 2 * (record.folder.size() + record.name.size());
        blobSize += record.packed.frame.size();
    }
    if (manifestSize > LargestResourceSize || blobSize > LargestResourceSize) {
        error = "the payload would be 2 GiB or larger (manifest " + std::to_string(manifestSize) +
                " bytes, blob " + std::to_string(blobSize) + " bytes)";
        return false;
    }

    out.manifest.clear();
    out.manifest.reserve(static_cast<std::size_t>(manifestSize));
    out.blob.clear();
    out.blob.reserve(static_cast<std::size_t>(blobSize));
    PutWord(out.manifest, 0);
    PutWord(out.manifest, static_cast<std::uint32_t>(records.size()));
    PutWord(out.blob, 0);
    for (auto& record : records) {
        const auto dataOffset = static_cast<std::uint32_t>(out.blob.size() - BlobHeaderSize);
        PutText(out.manifest, record.folder);
        PutText(out.manifest, record.name);
        PutWord(out.manifest, static_cast<std::uint32_t>(record.packed.contentSize));
        PutWord(out.manifest, record.packed.contentCrc);
        PutWord(out.manifest, static_cast<std::uint32_t>(record.packed.frame.size()));
        PutWord(out.manifest, record.packed.compressedCrc);
        PutWord(out.manifest, dataOffset);
        out.blob.insert(out.blob.end(), record.packed.frame.begin(), record.packed.frame.end());
        record.packed.frame = std::vector<std::uint8_t>();
    }
    for (std::vector<std::uint8_t>* resource : {&out.manifest, &out.blob}) {
        PutU32(*resource, 0,
               Crc32c(0, resource->data() + ChecksumWordSize, resource->size() - ChecksumWordSize));
    }
    return true;
}
