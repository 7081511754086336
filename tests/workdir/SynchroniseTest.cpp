// The synchronisation against real folders: what it writes, keeps untouched and rewrites, the
// payload's Config.ini as a default, links never followed, and hostile names. Strays, the user's
// Config.ini files and unreadable or damaged files are proven on the real launcher (tests/e2e).
#include "Launcher/workdir/Synchronise.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <random>
#include <string>
#include <vector>

#include "Launcher/base/PathRules.h"
#include "Launcher/workdir/FileSystem.h"
#include "tests/support/AgedFile.h"
#include "tests/support/FolderSnapshot.h"
#include "tests/support/WindowsNameOracle.h"
#include "tests/workdir/support/WorkdirTestSupport.h"

namespace {

using namespace std::string_literals;
using SynchroniseTest = TempFolderTest;

void Add(PendingEntries& entries, const std::shared_ptr<PayloadEntry>& entry) {
    entries.emplace(entry->relativePath, entry);
}

// Synchronises folder and expects it to succeed.
void Synchronise(const std::wstring& folder, PendingEntries& entries) {
    const std::optional<LaunchFailure> failure = SynchroniseWorkingDirectory(folder, entries);
    EXPECT_FALSE(failure.has_value()) << (failure ? failure->path : L"");
}

TEST_F(SynchroniseTest, WritesEveryEntryIntoEmptyFolderAndKeepsThemPending) {
    PendingEntries entries;
    Add(entries, MakeEntry(L"", L"Nimbrel.exe", SeededBytes(1, 200000), 0));
    Add(entries, MakeEntry(L"Plugins", L"a.dll", SeededBytes(2, 65536), 1));
    Add(entries, MakeEntry(L"Modules\\Tools", L"t.dll", SeededBytes(3, 10), 2));
    Add(entries, MakeEntry(L"", L"empty.txt", {}, 3));
    Synchronise(Folder(), entries);
    EXPECT_EQ(ReadFileBytes(At(L"Nimbrel.exe")), SeededBytes(1, 200000));
    EXPECT_EQ(ReadFileBytes(At(L"Plugins\\a.dll")), SeededBytes(2, 65536));
    EXPECT_EQ(ReadFileBytes(At(L"Modules\\Tools\\t.dll")), SeededBytes(3, 10));
    EXPECT_EQ(ReadFileBytes(At(L"empty.txt")), Bytes{});
    EXPECT_EQ(entries.size(), 4u);
}

TEST_F(SynchroniseTest, LeavesRightFilesUntouchedAndNeverDecompressesThem) {
    MakeDirectories(At(L"Modules\\Tools"));
    WriteFileBytes(At(L"Nimbrel.exe"), SeededBytes(1, 131072));
    WriteFileBytes(At(L"Modules\\Tools\\t.dll"), SeededBytes(2, 777));
    WriteFileBytes(At(L"empty.txt"), {});
    for (const wchar_t* path : {L"Nimbrel.exe", L"Modules\\Tools\\t.dll", L"empty.txt"}) {
        AgeFile(At(path));
    }
    const std::uint64_t aged = LastWriteTime(At(L"Nimbrel.exe"));
    PendingEntries entries;
    const auto exe = MakeEntry(L"", L"Nimbrel.exe", SeededBytes(1, 131072));
    Add(entries, exe);
    Add(entries, MakeEntry(L"Modules//Tools/", L"t.dll", SeededBytes(2, 777)));
    Add(entries, MakeEntry(L"", L"empty.txt", {}));
    Synchronise(Folder(), entries);
    EXPECT_TRUE(entries.empty());
    EXPECT_TRUE(exe->content.empty());
    EXPECT_EQ(LastWriteTime(At(L"Nimbrel.exe")), aged);
    EXPECT_EQ(LastWriteTime(At(L"Modules\\Tools\\t.dll")), aged);
    EXPECT_EQ(LastWriteTime(At(L"empty.txt")), aged);
}

TEST_F(SynchroniseTest, RewritesChangedFileAndReleasesItsEntry) {
    WriteFileBytes(At(L"Nimbrel.exe"), SeededBytes(9, 4000));
    AddAttributes(At(L"Nimbrel.exe"), FILE_ATTRIBUTE_READONLY);
    PendingEntries entries;
    const auto exe = MakeEntry(L"", L"Nimbrel.exe", SeededBytes(1, 3000));
    Add(entries, exe);
    Synchronise(Folder(), entries);
    EXPECT_EQ(ReadFileBytes(At(L"Nimbrel.exe")), SeededBytes(1, 3000));
    EXPECT_TRUE(entries.empty());
    EXPECT_EQ(exe.use_count(), 1);
}

// A payload's Config.ini is a default, in any letter case on either side: the walk strikes the
// one the user has, and only the missing one is written.
TEST_F(SynchroniseTest, WritesAPayloadConfigIniOnlyWhereTheUserHasNone) {
    MakeDirectories(At(L"plugins"));
    WriteFileBytes(At(L"CONFIG.INI"), TextBytes("[user]"));
    WriteFileBytes(At(L"plugins\\Config.ini"), TextBytes("[user plugin]"));
    PendingEntries entries;
    for (const wchar_t* folder : {L"", L"Plugins", L"Sub"}) {
        Add(entries, MakeEntry(folder, L"config.ini", TextBytes("[default]")));
    }
    Synchronise(Folder(), entries);
    EXPECT_EQ(ReadFileBytes(At(L"Config.ini")), TextBytes("[user]"));
    EXPECT_EQ(ReadFileBytes(At(L"plugins\\Config.ini")), TextBytes("[user plugin]"));
    EXPECT_EQ(ReadFileBytes(At(L"Sub\\Config.ini")), TextBytes("[default]"));
    EXPECT_EQ(entries.count(L"Config.ini"), 0u);
}

TEST_F(SynchroniseTest, NeverDescendsIntoLinkedDirectory) {
    MakeDirectories(At(L"outside"));
    WriteFileBytes(At(L"outside\\stray.txt"), TextBytes("keep"));
    WriteFileBytes(At(L"outside\\Config.ini"), TextBytes("keep"));
    MakeDirectories(At(L"work"));
    if (!MakeDirectoryLink(At(L"outside"), At(L"work\\Linked"))) {
        GTEST_SKIP() << "directory links cannot be made here";
    }
    PendingEntries entries;
    Add(entries, MakeEntry(L"Linked", L"stray.txt", TextBytes("payload")));
    WriteFileBytes(At(L"work\\stray.txt"), TextBytes("x"));
    Synchronise(At(L"work"), entries);
    EXPECT_FALSE(PathExists(At(L"work\\stray.txt")));
    EXPECT_TRUE(PathExists(At(L"work\\Linked")));
    EXPECT_EQ(ReadFileBytes(At(L"outside\\Config.ini")), TextBytes("keep"));
    // The payload file is written through the link, as into any directory that exists.
    EXPECT_EQ(ReadFileBytes(At(L"outside\\stray.txt")), TextBytes("payload"));
    EXPECT_TRUE(RemoveDirectoryLink(At(L"work\\Linked")));
}

// Payloads with names drawn from a hostile alphabet, each against a folder holding Config.ini
// files and a stray, with a folder beside it. Whether a start must refuse a payload is the
// oracle's word (what Windows makes of each name), not the launcher's rule: a refused payload
// fails the synchronisation and changes nothing; otherwise every Config.ini that no payload path
// takes the place of, and everything beside the folder, is intact. The seed is fixed unless
// NIMBREL_HOSTILE_SEED names another; it is printed once.
class HostileNames : public testing::TestWithParam<int> {};

std::uint32_t HostileSeed() {
    static const std::uint32_t seed = [] {
        wchar_t text[16] = {};
        const std::uint32_t chosen =
            GetEnvironmentVariableW(L"NIMBREL_HOSTILE_SEED", text, 16) == 0
                ? 20240613u
                : static_cast<std::uint32_t>(std::wcstoul(text, nullptr, 10));
        std::printf("hostile names: seed %u (NIMBREL_HOSTILE_SEED chooses another)\n", chosen);
        return chosen;
    }();
    return seed;
}

bool SameElements(const std::vector<std::wstring_view>& a, const std::vector<std::wstring_view>& b,
                  std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        if (_wcsicmp(std::wstring(a[k]).c_str(), std::wstring(b[k]).c_str()) != 0) {
            return false;
        }
    }
    return true;
}

// Tells whether a payload path takes the place of a Config.ini on a case-blind file system: it
// names a folder above it, and the file goes where the folder was. The writer clears a folder's
// place by design; the payload's own Config.ini, in any letter case, is only a default.
bool TakesThePlaceOf(const std::wstring& payloadPath, const std::wstring& config) {
    const auto a = PathElements(payloadPath);
    const auto b = PathElements(config);
    return a.size() < b.size() && SameElements(a, b, a.size());
}

// Tells whether the payload puts a folder where a user's Config.ini may stand, or a file where
// another record needs a folder: names Windows keeps, but that the launcher refuses.
bool NeedsPlaceOfConfigOrFolder(const PendingEntries& entries) {
    for (const auto& [path, entry] : entries) {
        const auto elements = PathElements(path);
        for (std::size_t k = 0; k + 1 < elements.size(); ++k) {
            if (_wcsicmp(std::wstring(elements[k]).c_str(), L"Config.ini") == 0) {
                return true;
            }
        }
        for (const auto& [otherPath, other] : entries) {
            const auto deeper = PathElements(otherPath);
            if (deeper.size() > elements.size() &&
                SameElements(elements, deeper, elements.size())) {
                return true;
            }
        }
    }
    return false;
}

TEST_P(HostileNames, NeverCostAConfigIniOrAnythingBesideTheFolder) {
    const std::uint32_t seed = HostileSeed();
    std::mt19937 random(seed + static_cast<std::uint32_t>(GetParam()));
    wchar_t temp[MAX_PATH + 1] = {};
    ASSERT_NE(GetTempPathW(MAX_PATH + 1, temp), 0u);
    const std::wstring root = JoinPath(
        temp, L"nimbrel-hostile-" + std::to_wstring(seed) + L"-" + std::to_wstring(GetParam()));
    RemoveTree(root);
    const std::wstring work = JoinPath(root, L"Nimbrel");
    const std::wstring beside = JoinPath(root, L"Beside");
    const std::vector<std::wstring> configs = {L"Config.ini", L"Plugins\\Config.ini",
                                               L"a\\b\\Config.ini"};
    for (const std::wstring& config : configs) {
        MakeDirectories(JoinPath(work, config.substr(0, config.rfind(L'\\') + 1)));
        WriteFileBytes(JoinPath(work, config), TextBytes("[user]\r\n"));
    }
    WriteFileBytes(JoinPath(work, L"stray.txt"), TextBytes("stray"));
    MakeDirectories(beside);
    WriteFileBytes(JoinPath(beside, L"sentinel.txt"), TextBytes("sentinel"));

    // Dot elements, controls, device names, the settings file in other spellings, names Windows
    // trims, case twins, a lone surrogate, an escape, a stream, non-ASCII and long names.
    std::vector<std::wstring> pieces = {
        L"."s,           L".."s,           L" "s,        L"\0"s,
        L"\x1F"s,        L"NUL"s,          L"com1.txt"s, L"Aux .log"s,
        L"LPT\u00B3.d"s, L"conout$"s,      L"COM10"s,    L"Config.ini"s,
        L"config.INI"s,  L"Config.ini."s,  L"a."s,       L"b "s,
        L"Plugins"s,     L"plugins"s,      L"a"s,        L"b"s,
        L"x.dll"s,       L"X.DLL"s,        L"\xD800"s,   L"..\\Beside"s,
        L"a:b"s,         L"\u00E9t\u00E9"s};
    pieces.push_back(std::wstring(60, L'n'));
    pieces.push_back(std::wstring(256, L'n'));
    const auto pick = [&] {
        return pieces[std::uniform_int_distribution<std::size_t>(0, pieces.size() - 1)(random)];
    };
    PendingEntries entries;
    std::vector<RecordPath> records;
    const int count = std::uniform_int_distribution<int>(1, 4)(random);
    for (int index = 0; index < count; ++index) {
        std::wstring folder;
        for (int depth = std::uniform_int_distribution<int>(0, 3)(random); depth > 0; --depth) {
            folder += (folder.empty() ? L"" : L"\\") + pick();
        }
        const std::wstring name = random() % 4 == 0 ? pick() + pick() : pick();
        const auto entry = MakeEntry(folder, name, TextBytes("payload"), index);
        if (entries.emplace(entry->relativePath, entry).second) {
            records.push_back({index, folder, name, entry->relativePath});
        }
    }
    const auto before = SnapshotFolder(work);
    const auto besideBefore = SnapshotFolder(beside);
    const bool unsafe =
        NeedsPlaceOfConfigOrFolder(entries) ||
        std::any_of(entries.begin(), entries.end(), [](const auto& entry) {
            return !WindowsKeepsRecordPath(entry.second->folder, entry.second->name);
        });

    // As a start does: the refusal first, then the synchronisation.
    std::optional<LaunchFailure> failure = RefuseUnsafeRecords(work, records);
    if (!failure) {
        failure = SynchroniseWorkingDirectory(work, entries);
    }
    EXPECT_EQ(failure.has_value(), unsafe) << (failure ? failure->path : L"");
    EXPECT_EQ(SnapshotFolder(beside), besideBefore);
    if (unsafe) {
        EXPECT_EQ(SnapshotFolder(work), before);
    } else {
        for (const std::wstring& config : configs) {
            const bool taken = std::any_of(entries.begin(), entries.end(), [&](const auto& entry) {
                return TakesThePlaceOf(entry.first, config);
            });
            if (!taken) {
                EXPECT_EQ(ReadFileBytes(JoinPath(work, config)), TextBytes("[user]\r\n")) << config;
            }
        }
    }
    RemoveTree(root);
}

INSTANTIATE_TEST_SUITE_P(Rounds, HostileNames, testing::Range(0, 200));

}  // namespace
