// Finds the two payload resources in a loaded module and hands them on as plain byte views that
// point into the module (nothing is copied; the views live as long as the process).
#pragma once

#include <cstdint>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/payload/ByteView.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadFormat.h"

inline constexpr int PayloadManifestResourceId = NIMBREL_PAYLOAD_MANIFEST_ID;
inline constexpr int PayloadBlobResourceId = NIMBREL_PAYLOAD_BLOB_ID;

// One payload resource: its id, the loader's code for each failing step, and the size below
// which it counts as empty (its header is missing). nimbrel-pack gives the same codes.
struct PayloadResourceSteps {
    int id;
    std::int32_t notFound;
    std::int32_t notLoaded;
    std::int32_t notLocked;
    std::int32_t empty;
    std::int32_t minimumSize;
};

inline constexpr PayloadResourceSteps ManifestResourceSteps = {
    PayloadManifestResourceId,      PayloadCode::ManifestNotFound,
    PayloadCode::ManifestNotLoaded, PayloadCode::ManifestNotLocked,
    PayloadCode::ManifestEmpty,     PayloadFormat::ManifestHeaderSize};
inline constexpr PayloadResourceSteps BlobResourceSteps = {
    PayloadBlobResourceId,      PayloadCode::BlobNotFound, PayloadCode::BlobNotLoaded,
    PayloadCode::BlobNotLocked, PayloadCode::BlobEmpty,    PayloadFormat::BlobHeaderSize};

// Loads the manifest, then the blob, from module (an HMODULE). Returns 0 with both views set, or
// the first failing step's code (the steps above).
std::int32_t LoadPayloadResources(void* module, PayloadViews& views);
