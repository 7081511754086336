// nimbrel-pack diff held against a real start: the same working folder is first diffed and then
// synchronised by a launcher, and each file's predicted line must be what the start did to it. The
// packer runs as its Windows build under the same Wine, so that a file held open against reading is
// unreadable to both. What the start did is read from the folder before and after: every file's
// bytes and last-write time, all aged beforehand so that a rewrite shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>
#include <string>

#include "tests/e2e/E2eSupport.h"
#include "tests/support/AgedFile.h"

namespace fs = std::filesystem;

namespace {

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

// What the start did to each file, in the diff's words, from the folder before and after it: a
// file left as it was is kept, or spared when it is a Config.ini in any letter case.
std::map<std::wstring, std::string> Outcomes(const FolderSnapshot& before,
                                             const FolderSnapshot& after) {
    std::map<std::wstring, std::string> outcomes;
    for (const auto& [path, state] : before) {
        const auto now = after.find(path);
        if (now == after.end()) {
            outcomes[path] = "delete";
        } else if (now->second != state) {
            outcomes[path] = "rewrite";
        } else {
            const bool settings = _wcsicmp(fs::path(path).filename().c_str(), L"Config.ini") == 0;
            outcomes[path] = settings ? "spare" : "keep";
        }
    }
    for (const auto& [path, state] : after) {
        if (before.count(path) == 0) {
            outcomes[path] = "write";
        }
    }
    return outcomes;
}

struct DiffAndStart {
    std::map<std::wstring, std::string> predicted;  // the diff's line for each path
    std::map<std::wstring, std::string> outcomes;   // what the start did to each path
    std::string report;
};

class DiffAgainstStart : public LauncherTest {
protected:
    // Diffs folder against the case's launcher, then starts it. A file named held is kept open
    // against reading from after the folder is read until the start has ended.
    DiffAndStart DiffThenStart(const std::wstring& caseName, const fs::path& folder,
                               const fs::path& held = {}) {
        const auto before = Files(folder);
        HANDLE holder = INVALID_HANDLE_VALUE;
        if (!held.empty()) {
            holder = CreateFileW((folder / held).c_str(), GENERIC_READ, FILE_SHARE_WRITE, nullptr,
                                 OPEN_EXISTING, 0, nullptr);
            EXPECT_NE(holder, INVALID_HANDLE_VALUE);
        }
        const auto [diffCode, report] =
            RunPackTool(L"diff \"" + CaseLauncher(caseName) + L"\" \"" + folder.wstring() + L"\"");
        EXPECT_EQ(diffCode, 0u) << report;
        const LaunchResult start = Start(caseName);
        EXPECT_EQ(start.exitCode, 0) << fs::path(start.boxText).string();
        if (holder != INVALID_HANDLE_VALUE) {
            CloseHandle(holder);
        }
        return {Predictions(report), Outcomes(before, Files(folder)), report};
    }
};

// A damaged folder, for the launcher the linker gave the payload and for the one embed gave it:
// every kind of stray goes (read-only, hidden and system, in a stray folder), the payload comes
// back whole, every Config.ini is spared (a read-only one made writable, one in a stray folder
// too), and each of the diff's predictions is what the start did.
class DiffAgainstStartOfLauncher : public DiffAgainstStart,
                                   public ::testing::WithParamInterface<const wchar_t*> {};

INSTANTIATE_TEST_SUITE_P(Launchers, DiffAgainstStartOfLauncher,
                         ::testing::Values(L"full", L"embedded"),
                         [](const auto& launcher) { return fs::path(launcher.param).string(); });

TEST_P(DiffAgainstStartOfLauncher, DamagedFolderIsRepairedAsPredicted) {
    const fs::path folder = UserWorkingDirectory();
    ASSERT_EQ(Start(GetParam()).exitCode, 0);

    WriteFileText(folder / L"Nimbrel.Gui.dll", "changed");
    fs::remove(folder / L"locales" / L"de.json");
    fs::remove(folder / L"runtimes" / L"msvc" / L"msvcp140.dll");
    const wchar_t* const strays[] = {L"stray.txt",         L"readonly-stray.bin",
                                     L"hidden-stray.bin",  L"plugins\\Weather\\old.dll",
                                     L"Stray\\inside.txt", L"Config.ini.bak"};
    for (const wchar_t* stray : strays) {
        WriteFileText(folder / stray, "stray");
    }
    const wchar_t* const settings[] = {L"Config.ini", L"plugins\\Weather\\Config.ini",
                                       L"new\\deeper\\Config.ini", L"locales\\config.ini",
                                       L"Stray\\CONFIG.INI"};
    for (const wchar_t* path : settings) {
        WriteFileText(folder / path, "[the user's]\n");
    }
    // A directory where a payload file belongs goes, with the Config.ini inside it.
    fs::remove(folder / L"LICENSE.txt");
    WriteFileText(folder / L"LICENSE.txt" / L"Config.ini", "[inside]\n");
    fs::create_directories(folder / L"empty-stray-folder");
    for (const auto& [path, state] : Files(folder)) {
        AgeFile((folder / path).wstring());
    }
    SetFileAttributesW((folder / L"readonly-stray.bin").c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((folder / L"hidden-stray.bin").c_str(),
                       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesW((folder / settings[2]).c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesW((folder / L"LICENSE.txt" / L"Config.ini").c_str(), FILE_ATTRIBUTE_READONLY);
    // Right and empty, so that a checksum of 0 for a file that cannot be read would pass it.
    const DiffAndStart run = DiffThenStart(GetParam(), folder, L"empty.marker");
    EXPECT_EQ(run.predicted, run.outcomes) << run.report;
    std::map<std::wstring, std::string> cases = {
        {L"empty.marker", "rewrite"},       {L"Nimbrel.Gui.dll", "rewrite"},
        {L"locales\\de.json", "write"},     {L"runtimes\\msvc\\msvcp140.dll", "write"},
        {L"LICENSE.txt", "write"},          {L"LICENSE.txt\\Config.ini", "delete"},
        {L"ThirdPartyNotices.txt", "keep"},
    };
    for (const wchar_t* stray : strays) {
        cases[stray] = "delete";
    }
    for (const wchar_t* path : settings) {
        cases[path] = "spare";
    }
    for (const auto& [path, action] : cases) {
        const auto found = run.predicted.find(path);
        EXPECT_TRUE(found != run.predicted.end() && found->second == action)
            << fs::path(path).string();
    }
    ExpectPayloadExtracted(folder);
    EXPECT_EQ(GetFileAttributesW((folder / settings[2]).c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(fs::is_directory(folder / L"empty-stray-folder"));
}

// A payload's Config.ini files are defaults, in any letter case on either side: the payload has
// Config.ini and Settings\config.INI. A start never writes one where the user has a file of that
// name in any case, keeps what the user made of them, and writes again only the one the user
// deleted. Before each start the diff says so.
TEST_F(DiffAgainstStart, PayloadConfigIniIsWrittenOnlyWhereTheUserHasNone) {
    using Rows = std::map<std::wstring, std::string>;
    const fs::path folder = UserWorkingDirectory();
    const fs::path defaults = fs::path(TestProgramDirectory()) / L"config-payload";
    const fs::path inner = fs::path(L"Settings") / L"config.INI";
    const fs::path userInner = fs::path(L"Settings") / L"Config.ini";
    const auto expectRows = [&](const Rows& rows) {
        const DiffAndStart run = DiffThenStart(L"config", folder);
        EXPECT_EQ(run.predicted, run.outcomes) << run.report;
        EXPECT_EQ(run.predicted, rows);
    };
    WriteFileText(folder / L"CONFIG.INI", "[user]\r\n");
    expectRows({{L"Nimbrel.exe", "write"}, {L"CONFIG.INI", "spare"}, {inner.wstring(), "write"}});
    EXPECT_EQ(ReadFileText(folder / inner), ReadFileText(defaults / inner));

    WriteFileText(folder / inner, "[user settings]\r\n");
    expectRows({{L"Nimbrel.exe", "keep"}, {L"CONFIG.INI", "spare"}, {inner.wstring(), "spare"}});

    // Through another name: Wine takes a rename to the same name in another case for no change.
    fs::rename(folder / inner, folder / L"Settings" / L"moved");
    fs::rename(folder / L"Settings" / L"moved", folder / userInner);
    expectRows(
        {{L"Nimbrel.exe", "keep"}, {L"CONFIG.INI", "spare"}, {userInner.wstring(), "spare"}});

    fs::remove(folder / userInner);
    expectRows({{L"Nimbrel.exe", "keep"}, {L"CONFIG.INI", "spare"}, {inner.wstring(), "write"}});
    EXPECT_EQ(ReadFileText(folder / L"CONFIG.INI"), "[user]\r\n");
    EXPECT_EQ(ReadFileText(folder / inner), ReadFileText(defaults / inner));
}

// A release that spells a folder in another letter case finds the files of the old spelling
// right: Windows keeps the folder's case, and a warm start writes and deletes nothing but the one
// file there that differs, which it rewrites in place.
TEST_F(DiffAgainstStart, FolderSpelledInAnotherCaseSettles) {
    const fs::path folder = UserWorkingDirectory();
    ASSERT_EQ(Start().exitCode, 0);
    // Through another name: Wine takes a rename to the same name in another case for no change.
    fs::rename(folder / L"plugins", folder / L"PLUGINS.tmp");
    fs::rename(folder / L"PLUGINS.tmp", folder / L"PLUGINS");
    fs::rename(folder / L"locales", folder / L"Locales.tmp");
    fs::rename(folder / L"Locales.tmp", folder / L"Locales");
    const fs::path changed = fs::path(L"PLUGINS") / L"Weather" / L"stations.csv";
    WriteFileText(folder / changed, "changed");
    for (const auto& [path, state] : Files(folder)) {
        AgeFile((folder / path).wstring());
    }
    const DiffAndStart run = DiffThenStart(L"full", folder);
    EXPECT_EQ(run.predicted, run.outcomes) << run.report;
    for (const auto& [path, action] : run.predicted) {
        EXPECT_EQ(action, path == changed ? "rewrite" : "keep") << fs::path(path).string();
    }
    EXPECT_EQ(run.predicted.count(L"PLUGINS\\Weather\\Weather.dll"), 1u) << run.report;
    EXPECT_EQ(ReadFileText(folder / changed),
              ReadFileText(fs::path(PayloadSource()) / L"plugins" / L"Weather" / L"stations.csv"));
}

}  // namespace
