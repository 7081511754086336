// Finds the two payload resources of a module with the Win32 resource calls and turns them into
// plain byte views at once; nothing after this file sees a Win32 type. Nothing is released.
#include "Launcher/payload/PayloadResources.h"

#include <windows.h>

#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadFormat.h"

namespace {

// The loader codes of one resource, one per step, and the size below which it counts as empty.
struct ResourceSteps {
    int id;
    std::int32_t notFound;
    std::int32_t notLoaded;
    std::int32_t notLocked;
    std::int32_t empty;
    std::int32_t minimumSize;
};

constexpr ResourceSteps manifestSteps = {
    PayloadManifestResourceId,      PayloadCode::ManifestNotFound,
    PayloadCode::ManifestNotLoaded, PayloadCode::ManifestNotLocked,
    PayloadCode::ManifestEmpty,     PayloadFormat::ManifestHeaderSize};
constexpr ResourceSteps blobSteps = {PayloadBlobResourceId,      PayloadCode::BlobNotFound,
                                     PayloadCode::BlobNotLoaded, PayloadCode::BlobNotLocked,
                                     PayloadCode::BlobEmpty,     PayloadFormat::BlobHeaderSize};

// Finds, loads and locks one RT_RCDATA resource. Returns 0 with view set, or the code of the
// first failing step (view untouched).
std::int32_t LoadRcdata(HMODULE module, const ResourceSteps& steps, ByteView& view) {
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(steps.id), RT_RCDATA);
    if (found == nullptr) {
        return steps.notFound;
    }
    HGLOBAL loaded = LoadResource(module, found);
    if (loaded == nullptr) {
        return steps.notLoaded;
    }
    const void* locked = LockResource(loaded);
    if (locked == nullptr) {
        return steps.notLocked;
    }
    const auto size = static_cast<std::int32_t>(SizeofResource(module, found));
    if (size < steps.minimumSize) {
        return steps.empty;
    }
    view.data = static_cast<const std::uint8_t*>(locked);
    view.size = size;
    return PayloadCode::Ok;
}

}  // namespace

std::int32_t LoadPayloadResources(void* module, PayloadViews& views) {
    const auto handle = static_cast<HMODULE>(module);
    const std::int32_t manifest = LoadRcdata(handle, manifestSteps, views.manifest);
    if (manifest != PayloadCode::Ok) {
        return manifest;
    }
    return LoadRcdata(handle, blobSteps, views.blob);
}
