// Runs the payload checks in their fixed order and files every parsed record. Reads the header
// words only after the sizes have been checked, so a short resource never causes a read past it.
#include "payload/PayloadVerify.h"

#include <memory>

#include "payload/Crc32c.h"
#include "payload/LittleEndian.h"
#include "payload/ManifestRecords.h"

namespace {

// Gives the checksum of everything after the 4-byte checksum word of a view of size >= 4.
std::uint32_t ChecksumAfterHeader(const ByteView& view) {
    return Crc32c(0, view.data + 4, static_cast<std::size_t>(view.size) - 4);
}

}  // namespace

std::optional<StageError> VerifyAndParsePayload(const PayloadViews& views,
                                                PendingEntries& entries) {
    const ByteView& manifest = views.manifest;
    const ByteView& blob = views.blob;
    if (manifest.data == nullptr || manifest.size < 8) {
        return SignedStageError(LaunchStage::LoadResources, PayloadCode::ManifestEmpty, 0);
    }
    if (blob.data == nullptr || blob.size < 4) {
        return SignedStageError(LaunchStage::LoadResources, PayloadCode::BlobEmpty, 0);
    }

    const std::uint32_t manifestCrc = ChecksumAfterHeader(manifest);
    const std::uint32_t storedManifestCrc = ReadUint32Le(manifest.data);
    if (manifestCrc != storedManifestCrc) {
        return StageError{LaunchStage::ManifestChecksum, manifestCrc, storedManifestCrc};
    }

    const std::int32_t count = ReadInt32Le(manifest.data + 4);
    if (count <= 0) {
        return SignedStageError(LaunchStage::RecordCount, count, 0);
    }

    const std::uint32_t blobCrc = ChecksumAfterHeader(blob);
    const std::uint32_t storedBlobCrc = ReadUint32Le(blob.data);
    if (blobCrc != storedBlobCrc) {
        return StageError{LaunchStage::BlobChecksum, blobCrc, storedBlobCrc};
    }

    const auto fault = ReadManifestRecords(views, [&entries](PayloadEntry& record) {
        const std::wstring key = record.relativePath;
        entries.try_emplace(key, std::make_shared<PayloadEntry>(std::move(record)));
        return true;
    });
    if (fault) {
        return SignedStageError(LaunchStage::ParseRecord, fault->index, -fault->code);
    }
    return std::nullopt;
}
