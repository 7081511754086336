// Finds the two payload resources in a loaded module and hands them on as plain byte views that
// point into the module (nothing is copied; the views live as long as the process).
#pragma once

#include <cstdint>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/payload/ByteView.h"

inline constexpr int PayloadManifestResourceId = NIMBREL_PAYLOAD_MANIFEST_ID;
inline constexpr int PayloadBlobResourceId = NIMBREL_PAYLOAD_BLOB_ID;

// Loads the manifest, then the blob, from module (an HMODULE). Returns 0 with both views set, or
// the first failing step's code: 1-4 for the manifest, 11-14 for the blob (PayloadCode). A
// manifest shorter than its 8-byte header counts as empty (4), a blob shorter than 4 bytes too
// (14).
std::int32_t LoadPayloadResources(void* module, PayloadViews& views);
