// diff against a real working folder: each file classified as a start would treat it, and the
// folder left exactly as it was.
#include <map>

#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Packer/payload/PayloadInput.h"
#include "Packer/payload/WorkFolderDiff.h"
#include "tests/packer/PackerTestSupport.h"
#include "tests/support/FolderSnapshot.h"

namespace {

class WorkFolderDiff : public TempFolderTest {
protected:
    LoadedPayload payload;
    PendingEntries entries;
    std::filesystem::path work() const { return root / "work"; }

    // Packs source and loads the result the way the diff command does.
    void PackSource() {
        const auto source = root / "source";
        WriteFileBytes(source / "Nimbrel.exe", TextBytes(70000, 1));
        WriteFileBytes(source / "lib" / "runtime.dll", RandomBytes(131072, 2));
        WriteFileBytes(source / "Plugins" / "a.dat", {});
        WriteFileText(source / "Plugins" / "b.txt", "bee");
        WriteFileText(source / "Plugins" / "Deep" / "mod.dll", "module");
        const auto m = root / "m.bin";
        const auto b = root / "b.bin";
        ASSERT_EQ(RunTool({"pack", source.string(), "--manifest", m.string(), "--blob", b.string()})
                      .exitCode,
                  0);
        std::string error;
        ASSERT_TRUE(LoadPayload({{}, m, b}, payload, error)) << error;
        ASSERT_FALSE(VerifyAndParsePayload(payload.views, entries).has_value());
        std::filesystem::copy(source, work(), std::filesystem::copy_options::recursive);
    }

    std::map<std::wstring, std::string> Classify() {
        std::map<std::wstring, std::string> actions;
        for (const auto& row :
             DiffWorkingFolder(work(), ReadRecordPaths(payload.views), entries).rows) {
            std::string action(row.action);
            if (row.replacesFolder) {
                action += " over folder";
            }
            if (row.insideReplacedFolder) {
                action += " inside folder";
            }
            EXPECT_TRUE(actions.emplace(row.relativePath, action).second);
        }
        return actions;
    }
};

// A folder that agrees is kept whole; once it is gone, everything is written.
TEST_F(WorkFolderDiff, KeepsEverythingInAFolderThatAgreesAndWritesEverythingIntoAMissingOne) {
    PackSource();
    for (const std::string expected : {"keep", "write"}) {
        const auto actions = Classify();
        EXPECT_EQ(actions.size(), 5u);
        for (const auto& [path, action] : actions) {
            EXPECT_EQ(action, expected) << std::string(path.begin(), path.end());
        }
        std::filesystem::remove_all(work());
    }
}

TEST_F(WorkFolderDiff, ClassifiesEachFileAsAStartWouldAndChangesNothing) {
    PackSource();
    WriteFileText(work() / "lib" / "runtime.dll", "other content");
    std::filesystem::remove(work() / "Plugins" / "a.dat");
    WriteFileText(work() / "stray.txt", "s");
    WriteFileText(work() / "CONFIG.INI", "user settings, another case");
    WriteFileText(work() / "Config.ini", "user settings");
    WriteFileText(work() / "Plugins" / "Config.ini", "plugin settings");
    std::filesystem::rename(work() / "Plugins" / "b.txt", root / "b.txt");
    WriteFileText(work() / "plugins" / "b.txt", "bee");
    std::filesystem::remove(work() / "Plugins" / "Deep" / "mod.dll");
    WriteFileText(work() / "Plugins" / "Deep" / "mod.dll" / "inside.txt", "i");
    WriteFileText(work() / "Plugins" / "Deep" / "mod.dll" / "config.ini", "goes with the folder");
    WriteFileText(root / "elsewhere" / "hidden.txt", "not to be seen");
    std::filesystem::create_directory_symlink(root / "elsewhere", work() / "linked");
    const auto before = SnapshotFolder(work());

    const std::map<std::wstring, std::string> expected = {
        {L"Nimbrel.exe", "keep"},
        {L"lib\\runtime.dll", "rewrite"},
        {L"Plugins\\a.dat", "write"},
        {L"stray.txt", "delete"},
        {L"CONFIG.INI", "spare"},
        {L"Config.ini", "spare"},
        {L"Plugins\\Config.ini", "spare"},
        {L"plugins\\b.txt", "keep"},
        {L"Plugins\\Deep\\mod.dll\\inside.txt", "delete"},
        {L"Plugins\\Deep\\mod.dll\\config.ini", "delete inside folder"},
        {L"Plugins\\Deep\\mod.dll", "write over folder"},
    };
    EXPECT_EQ(Classify(), expected);
    EXPECT_EQ(SnapshotFolder(work()), before);
}

TEST_F(WorkFolderDiff, RewritesWhatCannotBeReadAndLeavesWhatCannotBeTyped) {
    PackSource();
    // A link whose target is missing is a file that cannot be opened: never right, not even for
    // the empty record, whose checksum is 0. A link loop has no type: the walk leaves it, and the
    // entry it stands for is written at the end.
    std::filesystem::remove(work() / "Plugins" / "a.dat");
    std::filesystem::create_symlink(root / "absent", work() / "Plugins" / "a.dat");
    std::filesystem::remove(work() / "Plugins" / "b.txt");
    std::filesystem::create_symlink("b.txt", work() / "Plugins" / "b.txt");
    const auto actions = Classify();
    EXPECT_EQ(actions.at(L"Plugins\\a.dat"), "rewrite");
    EXPECT_EQ(actions.at(L"Plugins\\b.txt"), "write");
    EXPECT_EQ(actions.size(), 5u);
}

}  // namespace
