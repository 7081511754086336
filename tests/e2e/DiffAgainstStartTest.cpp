// nimbrel-pack diff held against a real start: the same damaged working folder is first diffed
// and then synchronised by the full launcher, and each file's predicted line must be what the
// start did to it. The packer runs as its Windows build under the same Wine, so that a file held
// open against reading is unreadable to both. What the start did is read from the folder before
// and after: every file's bytes and last-write time, all aged beforehand so that a rewrite shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "tests/e2e/E2eSupport.h"
#include "tests/e2e/LauncherProcess.h"
#include "tests/e2e/SampleReport.h"
#include "tests/support/AgedFile.h"

namespace fs = std::filesystem;

namespace {

// Every file below root by relative path, with its bytes and last-write time.
FolderSnapshot Files(const fs::path& root) {
    FolderSnapshot files = SnapshotFolder(root);
    std::erase_if(files,
                  [](const auto& item) { return item.second.kind != SnapshotItem::Kind::File; });
    return files;
}

// Runs the Windows build of nimbrel-pack beside this tree's test programs; gives its exit code
// and what it wrote to its standard output.
std::pair<DWORD, std::string> RunPackTool(const std::wstring& arguments) {
    const std::wstring exe = TestProgramDirectory() + L"\\..\\bin\\nimbrel-pack.exe";
    const std::wstring out = TestProgramDirectory() + L"\\diff-against-start.out";
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileW(out.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    PROCESS_INFORMATION process{};
    std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
    DWORD code = 0xFFFFFFFF;
    if (CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                       &startup, &process)) {
        WaitForSingleObject(process.hProcess, 60000);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(output);
    const std::string text = ReadFileText(out);
    DeleteFileW(out.c_str());
    return {code, text};
}

// The action word of each line of a diff report, by path; the summary line is left out.
std::map<std::wstring, std::string> Predictions(const std::string& report) {
    std::map<std::wstring, std::string> rows;
    std::istringstream lines(report);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::size_t gap = line.find(' ');
        const std::size_t path = line.find_first_not_of(' ', gap);
        if (line.rfind("diff: ", 0) == 0 || gap == std::string::npos || path == std::string::npos) {
            continue;
        }
        const std::string utf8 = line.substr(path, line.find("  (", path) - path);
        rows[fs::path(std::u8string(utf8.begin(), utf8.end())).wstring()] = line.substr(0, gap);
    }
    return rows;
}

// What the start did to each file, in the diff's words, from the folder before and after it.
std::map<std::wstring, std::string> Outcomes(const FolderSnapshot& before,
                                             const FolderSnapshot& after) {
    const auto payload = SnapshotFolder(PayloadSource());
    std::map<std::wstring, std::string> outcomes;
    for (const auto& [path, state] : before) {
        const auto now = after.find(path);
        if (now == after.end()) {
            outcomes[path] = "delete";
        } else if (now->second != state) {
            outcomes[path] = "rewrite";
        } else {
            outcomes[path] = payload.count(path) != 0 ? "keep" : "spare";
        }
    }
    for (const auto& [path, state] : after) {
        if (before.count(path) == 0) {
            outcomes[path] = "write";
        }
    }
    return outcomes;
}

TEST(DiffAgainstStart, EveryPredictionIsWhatTheStartDid) {
    const fs::path folder = UserWorkingDirectory();
    const std::wstring log = TestProgramDirectory() + L"\\sample-diff.log";
    LaunchOptions options;
    options.currentDirectory = TestProgramDirectory();
    options.environment = {{L"NIMBREL_SAMPLE_LOG", log}, {L"NIMBREL_SAMPLE_EXIT_AFTER_MS", L"300"}};
    RemoveTestFolder(folder.wstring());
    DeleteFileW(log.c_str());
    ASSERT_EQ(RunLauncher(CaseLauncher(L"full"), options).exitCode, 0);
    ASSERT_TRUE(WaitForSampleExit(log, 10000));

    WriteFileText(folder / L"Nimbrel.Gui.dll", "changed");
    fs::remove(folder / L"locales" / L"de.json");
    WriteFileText(folder / L"stray.txt", "stray");
    WriteFileText(folder / L"readonly-stray.bin", "stray");
    WriteFileText(folder / L"Config.ini", "[top]\n");
    WriteFileText(folder / L"plugins" / L"Weather" / L"Config.ini", "[weather]\n");
    WriteFileText(folder / L"new" / L"deeper" / L"Config.ini", "[deep]\n");
    WriteFileText(folder / L"locales" / L"config.ini", "wrong case");
    for (const auto& [path, state] : Files(folder)) {
        AgeFile((folder / path).wstring());
    }
    SetFileAttributesW((folder / L"readonly-stray.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    const auto before = Files(folder);
    // Right and empty, so that a checksum of 0 for a file that cannot be read would pass it.
    HANDLE holder = CreateFileW((folder / L"empty.marker").c_str(), GENERIC_READ, FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const auto [diffCode, report] =
        RunPackTool(L"diff \"" + CaseLauncher(L"full") + L"\" \"" + folder.wstring() + L"\"");
    DeleteFileW(log.c_str());
    const LaunchResult start = RunLauncher(CaseLauncher(L"full"), options);
    const bool sampleEnded = start.exitCode == 0 && WaitForSampleExit(log, 10000);
    CloseHandle(holder);
    DeleteFileW(log.c_str());
    ASSERT_EQ(diffCode, 0u) << report;
    EXPECT_EQ(start.exitCode, 0) << fs::path(start.boxText).string();
    EXPECT_TRUE(sampleEnded);

    const auto predicted = Predictions(report);
    EXPECT_EQ(predicted, Outcomes(before, Files(folder))) << report;
    const std::map<std::wstring, std::string> cases = {
        {L"empty.marker", "rewrite"},
        {L"Nimbrel.Gui.dll", "rewrite"},
        {L"locales\\de.json", "write"},
        {L"stray.txt", "delete"},
        {L"readonly-stray.bin", "delete"},
        {L"locales\\config.ini", "delete"},
        {L"Config.ini", "spare"},
        {L"plugins\\Weather\\Config.ini", "spare"},
        {L"new\\deeper\\Config.ini", "spare"},
        {L"LICENSE.txt", "keep"},
    };
    for (const auto& [path, action] : cases) {
        const auto found = predicted.find(path);
        EXPECT_TRUE(found != predicted.end() && found->second == action) << fs::path(path).string();
    }
    ExpectPayloadExtracted(folder);
    RemoveTestFolder(folder.wstring());
}

}  // namespace
