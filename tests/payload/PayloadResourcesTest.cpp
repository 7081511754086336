// LoadPayloadResources on real modules: this test program (which carries a small pair) and
// resource-only DLLs beside it, each missing or shortening one resource.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadResources.h"

namespace {

// Loads a DLL from this program's folder as data only; fails the test when it cannot.
HMODULE LoadBeside(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full = path;
    full = full.substr(0, full.find_last_of(L"\\/") + 1) + name;
    HMODULE module = LoadLibraryExW(full.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_NE(module, nullptr) << "cannot load the test DLL";
    return module;
}

TEST(LoadPayloadResources, GivesViewsIntoTheModuleItself) {
    PayloadViews views;
    ASSERT_EQ(LoadPayloadResources(GetModuleHandleW(nullptr), views), PayloadCode::Ok);
    ASSERT_EQ(views.manifest.size, 8);
    ASSERT_EQ(views.blob.size, 4);
    EXPECT_EQ(std::memcmp(views.manifest.data, "manifest", 8), 0);
    EXPECT_EQ(std::memcmp(views.blob.data, "blob", 4), 0);
    PayloadViews again;
    ASSERT_EQ(LoadPayloadResources(GetModuleHandleW(nullptr), again), PayloadCode::Ok);
    EXPECT_EQ(again.manifest.data, views.manifest.data);  // in place, never copied
}

TEST(LoadPayloadResources, ReportsTheFirstMissingOrShortResource) {
    const struct {
        const wchar_t* dll;
        std::int32_t expected;
    } cases[] = {
        {L"payload_res_manifest_only.dll", PayloadCode::BlobNotFound},
        {L"payload_res_short_manifest.dll", PayloadCode::ManifestEmpty},
        {L"payload_res_short_blob.dll", PayloadCode::BlobEmpty},
        {L"payload_res_blob_only.dll", PayloadCode::ManifestNotFound},
    };
    for (const auto& item : cases) {
        HMODULE module = LoadBeside(item.dll);
        ASSERT_NE(module, nullptr);
        PayloadViews views;
        EXPECT_EQ(LoadPayloadResources(module, views), item.expected);
        EXPECT_EQ(views.blob.data, nullptr);
        FreeLibrary(module);
    }
}

TEST(LoadPayloadResources, ModuleWithoutResourcesHasNoManifest) {
    PayloadViews views;
    EXPECT_EQ(LoadPayloadResources(GetModuleHandleW(L"kernel32.dll"), views),
              PayloadCode::ManifestNotFound);
    EXPECT_EQ(views.manifest.data, nullptr);
}

}  // namespace
