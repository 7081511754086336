// Runs the payload checks in their fixed order and files every parsed record. Reads the header
// words only after the sizes have been checked, so a short resource never causes a read past it.
#include "Launcher/payload/PayloadVerify.h"

#include <memory>

#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/LittleEndian.h"
#include "Launcher/payload/ManifestRecords.h"
#include "Launcher/payload/PayloadFormat.h"

std::uint32_t ChecksumAfterHeader(const ByteView& view) {
    constexpr std::int32_t word = PayloadFormat::ChecksumWordSize;
    return Crc32c(0, view.data + word, static_cast<std::size_t>(view.size - word));
}

std::optional<StageError> VerifyAndParsePayload(const PayloadViews& views,
                                                PendingEntries& entries) {
    const ByteView& manifest = views.manifest;
    const ByteView& blob = views.blob;
    if (manifest.data == nullptr || manifest.size < PayloadFormat::ManifestHeaderSize) {
        return SignedStageError(LaunchStage::LoadResources, PayloadCode::ManifestEmpty, 0);
    }
    if (blob.data == nullptr || blob.size < PayloadFormat::BlobHeaderSize) {
        return SignedStageError(LaunchStage::LoadResources, PayloadCode::BlobEmpty, 0);
    }

    const std::uint32_t manifestCrc = ChecksumAfterHeader(manifest);
    const std::uint32_t storedManifestCrc = ReadUint32Le(manifest.data);
    if (manifestCrc != storedManifestCrc) {
        return StageError{LaunchStage::ManifestChecksum, manifestCrc, storedManifestCrc};
    }

    const std::int32_t count = ReadInt32Le(manifest.data + PayloadFormat::CountOffset);
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
