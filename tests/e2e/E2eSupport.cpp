// Shared helpers of the end-to-end cases.
#include "tests/e2e/E2eSupport.h"

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "Launcher/base/SharedNames.h"
#include "tests/e2e/SampleReport.h"

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

std::wstring PayloadSource() {
    return TestProgramDirectory() + L"\\full-payload";
}

void ExpectPayloadExtracted(const std::filesystem::path& folder, bool exact) {
    const FolderSnapshot source = SnapshotFolder(PayloadSource());
    const FolderSnapshot extracted = SnapshotFolder(folder);
    int files = 0;
    for (const auto& [relative, item] : source) {
        if (item.kind != SnapshotItem::Kind::File) {
            continue;
        }
        ++files;
        const auto found = extracted.find(relative);
        ASSERT_NE(found, extracted.end()) << relative;
        EXPECT_TRUE(found->second.bytes == item.bytes) << relative;
    }
    EXPECT_GE(files, 40);
    if (exact) {
        for (const auto& [relative, item] : extracted) {
            EXPECT_TRUE(source.count(relative) != 0 ||
                        std::filesystem::path(relative).filename() == SharedName::SparedFile)
                << "not in the payload: " << relative;
        }
    }
}

void ExpectFailureBox(const LaunchResult& result, const std::wstring& text) {
    EXPECT_TRUE(result.finished) << "the launcher did not end";
    EXPECT_TRUE(result.boxShown);
    EXPECT_EQ(result.boxText, text);
    EXPECT_EQ(result.exitCode, -100);
}

void LauncherTest::SetUp() {
    RemoveTestFolder(UserWorkingDirectory());
    log = TestProgramDirectory() + L"\\sample-" + std::to_wstring(GetCurrentProcessId()) + L".log";
    DeleteFileW(log.c_str());
    options.currentDirectory = TestProgramDirectory();
    options.environment = {{L"NIMBREL_SAMPLE_LOG", log}, {L"NIMBREL_SAMPLE_EXIT_AFTER_MS", L"300"}};
}

void LauncherTest::TearDown() {
    if (std::filesystem::exists(log)) {
        WaitForSampleExit(log, 10000);
    }
    DeleteFileW(log.c_str());
    if (const int hung = EndProgramsBelow(UserWorkingDirectory()); hung > 0) {
        std::printf("ended %d application(s) that hung in their start\n", hung);
    }
    RemoveTestFolder(UserWorkingDirectory());
}

LaunchResult LauncherTest::Start(const std::wstring& caseName) {
    DeleteFileW(log.c_str());
    const LaunchResult result = RunLauncher(CaseLauncher(caseName), options);
    if (result.exitCode == 0) {
        EXPECT_TRUE(WaitForSampleExit(log, 10000)) << "the application did not end";
    }
    return result;
}
