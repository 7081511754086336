// Shared helpers of the end-to-end cases.
#include "E2eSupport.h"

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <system_error>

std::wstring TestProgramDirectory() {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path().wstring();
}

std::wstring CaseLauncher(const std::wstring& caseName) {
    return TestProgramDirectory() + L"\\" + caseName + L"\\Nimbrel.Launcher.exe";
}

std::wstring LocalAppData() {
    wchar_t path[MAX_PATH] = {};
    SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path);
    return path;
}

std::wstring UserWorkingDirectory() {
    return LocalAppData() + L"\\Nimbrel";
}

void RemoveTree(const std::wstring& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        return;
    }
    for (const auto& item : std::filesystem::recursive_directory_iterator(path, error)) {
        SetFileAttributesW(item.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(path, error);
}
