// Shared helpers of the end-to-end cases.
#include "tests/e2e/E2eSupport.h"

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "Launcher/base/SharedNames.h"

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
    return LocalAppData() + L"\\" + SharedName::WorkingFolder;
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

int EndProgramsBelow(const std::wstring& folder) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return 0;
    }
    const std::wstring prefix = folder + L"\\";
    int ended = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more;
         more = Process32NextW(snapshot, &entry)) {
        const HANDLE process =
            OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE,
                        entry.th32ProcessID);
        if (process == nullptr) {
            continue;
        }
        wchar_t image[MAX_PATH] = {};
        DWORD length = MAX_PATH;
        if (QueryFullProcessImageNameW(process, 0, image, &length) &&
            _wcsnicmp(image, prefix.c_str(), prefix.size()) == 0 && TerminateProcess(process, 1)) {
            WaitForSingleObject(process, 5000);
            ++ended;
        }
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return ended;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const std::filesystem::path& path, const std::string& bytes) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::map<std::wstring, std::string> FolderSnapshot(const std::filesystem::path& root) {
    std::map<std::wstring, std::string> items;
    std::error_code error;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root, error)) {
        const std::wstring relative = std::filesystem::relative(item.path(), root).wstring();
        items[relative] = item.is_directory() ? "<folder>" : ReadAll(item.path());
    }
    return items;
}

std::wstring PayloadSource() {
    return TestProgramDirectory() + L"\\full-payload";
}

void ExpectPayloadExtracted(const std::filesystem::path& folder, bool exact) {
    const auto source = FolderSnapshot(PayloadSource());
    const auto extracted = FolderSnapshot(folder);
    int files = 0;
    for (const auto& [relative, bytes] : source) {
        if (bytes == "<folder>") {
            continue;
        }
        ++files;
        const auto found = extracted.find(relative);
        ASSERT_NE(found, extracted.end()) << relative;
        EXPECT_TRUE(found->second == bytes) << relative;
    }
    EXPECT_GE(files, 40);
    if (exact) {
        for (const auto& [relative, bytes] : extracted) {
            EXPECT_TRUE(source.count(relative) != 0 ||
                        std::filesystem::path(relative).filename() == SharedName::SparedFile)
                << "not in the payload: " << relative;
        }
    }
}
