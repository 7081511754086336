// Finds the two payload resources of a module with the Win32 resource calls and turns them into
// plain byte views at once; nothing after this file sees a Win32 type. Nothing is released.
#include "Launcher/payload/PayloadResources.h"

#include <windows.h>

namespace {

// Finds, loads and locks one RT_RCDATA resource. Returns 0 with view set, or the code of the
// first failing step (view untouched).
std::int32_t LoadRcdata(HMODULE module, const PayloadResourceSteps& steps, ByteView& view) {
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
    const std::int32_t manifest = LoadRcdata(handle, ManifestResourceSteps, views.manifest);
    if (manifest != PayloadCode::Ok) {
        return manifest;
    }
    return LoadRcdata(handle, BlobResourceSteps, views.blob);
}
