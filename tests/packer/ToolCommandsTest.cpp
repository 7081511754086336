// list, check and the command line, run in process: exit codes, rows, and the exact error code
// a launcher would show for each kind of damage.
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/LittleEndian.h"
#include "Packer/PayloadBuilder.h"
#include "tests/packer/PackerTestSupport.h"

// The payload ids are spelled out on purpose (48978, 19266): a second reading of the format.
namespace {

class ToolCommands : public TempFolderTest {
protected:
    std::filesystem::path m() const { return root / "m.bin"; }
    std::filesystem::path b() const { return root / "b.bin"; }

    void SetUp() override {
        TempFolderTest::SetUp();
        WriteBytes(root / "src" / "Nimbrel.exe", TextBytes(30000, 4));
        WriteBytes(root / "src" / "Sub" / "x.dll", RandomBytes(3000, 5));
        ASSERT_EQ(RunTool({"pack", (root / "src").string(), "--manifest", m().string(), "--blob",
                           b().string(), "--level", "3"})
                      .exitCode,
                  0);
    }

    ToolRun WithFiles(const std::string& command) {
        return RunTool({command, "--manifest", m().string(), "--blob", b().string()});
    }

    // Rewrites a resource file after changing it, optionally fixing its checksum.
    static void Damage(const std::filesystem::path& path, std::size_t at, std::uint8_t value,
                       bool fixChecksum) {
        auto bytes = ReadBytes(path);
        bytes[at] = value;
        if (fixChecksum) {
            const std::uint32_t crc = Crc32c(0, bytes.data() + 4, bytes.size() - 4);
            for (int i = 0; i < 4; ++i) {
                bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (8 * i));
            }
        }
        WriteBytes(path, bytes);
    }
};

TEST_F(ToolCommands, ChecksAndListsASoundPayload) {
    const ToolRun check = WithFiles("check");
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.out.find("check: ok, 2 files, 33000 bytes"), 0u) << check.out;

    const ToolRun list = WithFiles("list");
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_NE(list.out.find("    0  Nimbrel.exe       30000"), std::string::npos) << list.out;
    EXPECT_NE(list.out.find("    1  Sub\\x.dll          3000"), std::string::npos) << list.out;
    const auto manifest = ReadBytes(m());
    const std::string crc = "0x" + [&] {
        char text[9];
        std::snprintf(text, sizeof text, "%08X",
                      ReadUint32Le(manifest.data() + 8 + 4 + 4 + 22 + 4));
        return std::string(text);
    }();
    EXPECT_NE(list.out.find(crc), std::string::npos) << list.out;
}

TEST_F(ToolCommands, ReportsEachDamageWithTheLaunchersCode) {
    const auto blob = ReadBytes(b());
    const auto manifest = ReadBytes(m());

    Damage(b(), 10, static_cast<std::uint8_t>(blob[10] ^ 1), false);
    ToolRun run = WithFiles("check");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("error code 4."), std::string::npos) << run.err;

    Damage(b(), 10, static_cast<std::uint8_t>(blob[10] ^ 1), true);
    run = WithFiles("check");
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("error code 7.0.12 (compressed CRC mismatch)"), std::string::npos)
        << run.err;
    EXPECT_EQ(WithFiles("list").exitCode, 0)
        << "list still shows a payload whose frames are damaged";
    WriteBytes(b(), blob);

    Damage(m(), 4, 0, true);
    run = WithFiles("check");
    EXPECT_NE(run.err.find("error code 3.0.0"), std::string::npos) << run.err;
    EXPECT_EQ(WithFiles("list").exitCode, 1);

    Damage(m(), 4, 3, true);
    run = WithFiles("check");
    EXPECT_NE(run.err.find("error code 5.2.1"), std::string::npos) << run.err;

    Damage(m(), 20, 0x55, false);
    run = WithFiles("check");
    EXPECT_NE(run.err.find("error code 2."), std::string::npos) << run.err;
    WriteBytes(m(), manifest);

    WriteBytes(b(), {1, 2});
    run = WithFiles("check");
    EXPECT_NE(run.err.find("error code 1.14.0 (blob empty)"), std::string::npos) << run.err;
}

TEST_F(ToolCommands, ChecksOnlyTheFirstRecordOfARepeatedPath) {
    // A start files the first record of a path and never reads a later one, damaged or not.
    std::vector<PayloadRecord> records(2, {L"Sub", L"x.dll", {}});
    std::string error;
    ASSERT_TRUE(CompressContent(TextBytes(500, 1), 3, records[0].packed, error)) << error;
    records[1].packed = records[0].packed;
    records[1].packed.compressedCrc ^= 1;
    PayloadBytes bytes;
    ASSERT_TRUE(BuildPayload(records, bytes, error)) << error;
    WriteBytes(m(), bytes.manifest);
    WriteBytes(b(), bytes.blob);
    const ToolRun run = WithFiles("check");
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("warning: 1 records repeat the path"), std::string::npos) << run.err;
    EXPECT_EQ(run.out.find("check: ok, 1 files, 500 bytes"), 0u) << run.out;
}

// What a start refuses or rewrites every time is a failed check, named by record and reason.
TEST_F(ToolCommands, RejectsUnsafePathsAndCaseTwinsAndNotesWhatIsWorthAWord) {
    const auto check = [&](std::vector<PayloadRecord> records) {
        std::string error;
        for (PayloadRecord& record : records) {
            EXPECT_TRUE(CompressContent(TextBytes(10, 1), 3, record.packed, error)) << error;
        }
        PayloadBytes bytes;
        EXPECT_TRUE(BuildPayload(records, bytes, error)) << error;
        WriteBytes(m(), bytes.manifest);
        WriteBytes(b(), bytes.blob);
        return WithFiles("check");
    };
    ToolRun run = check({{L"", L"a.txt", {}}, {L"Plugins", L"nul.txt", {}}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("record 1 (Plugins\\nul.txt): the name is a reserved Windows device"),
              std::string::npos)
        << run.err;
    run = check({{L"lpt\u00B3.d", L"x.dll", {}}});
    EXPECT_NE(run.err.find("a folder element is a reserved Windows device name"), std::string::npos)
        << run.err;
    // Sound, but worth a word: a Config.ini is only a default; a long path may not fit.
    run = check({{L"", L"Config.ini", {}},
                 {std::wstring(150, L'f'), std::wstring(50, L'n') + L".dll", {}},
                 {L"Sub", L"Config.ini", {}}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.err.find("note: record 2 (Sub\\Config.ini): a default, written only where the "
                           "user has none\n"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(Occurrences(run.err, "note:"), 2u) << run.err;
    EXPECT_NE(run.err.find("warning: record 1 (fff"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("the path is 205 UTF-16 code units long"), std::string::npos) << run.err;
    run = check({{L"Sub", L"A.dll", {}}, {L"a", L"b", {}}, {L"sub", L"a.DLL", {}}});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("records 0 (Sub\\A.dll) and 2 (sub\\a.DLL) differ only in letter case"),
              std::string::npos)
        << run.err;
}

TEST_F(ToolCommands, ReadsThePayloadOutOfAnExecutable) {
    const auto exe = root / "Launcher.exe";
    WriteBytes(exe, MakePeImage({{48978, 1033, ReadBytes(m())}, {19266, 1033, ReadBytes(b())}}));
    EXPECT_EQ(RunTool({"check", exe.string()}).exitCode, 0);
    const ToolRun list = RunTool({"list", exe.string()});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_NE(list.out.find("Sub\\x.dll"), std::string::npos);

    WriteBytes(exe, MakePeImage({{48978, 1033, ReadBytes(m())}}));
    const ToolRun missing = RunTool({"check", exe.string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("error code 1.11.0"), std::string::npos) << missing.err;

    WriteText(exe, "not an executable");
    EXPECT_EQ(RunTool({"list", exe.string()}).exitCode, 2);
    EXPECT_EQ(RunTool({"list", (root / "absent.exe").string()}).exitCode, 2);
}

TEST_F(ToolCommands, RejectsBadCommandLinesWithExitTwo) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"unpack"},
        {"check", "--manifest", m().string()},
        {"check", "--frobnicate", "1", "x.exe"},
        {"list", "--manifest", m().string(), "--blob", b().string(), "extra"},
        {"pack", (root / "src").string(), "--manifest", "a", "--blob", "b", "--level", "0"},
        {"pack", (root / "src").string(), "--manifest", "a", "--blob", "b", "--jobs", "two"},
        {"pack", (root / "src").string(), "--manifest", "a", "--manifest", "c", "--blob", "b"},
        {"pack", (root / "src").string(), "--manifest", "a"},
        {"diff", "--manifest", m().string(), "--blob", b().string()},
    };
    for (const auto& args : bad) {
        const ToolRun run = RunTool(args);
        EXPECT_EQ(run.exitCode, 2) << (args.empty() ? "" : args[0]) << ": " << run.err;
        EXPECT_FALSE(run.err.empty());
    }
    EXPECT_FALSE(std::filesystem::exists("a"));
    for (const char* command : {"pack", "list", "check", "diff"}) {
        const ToolRun help = RunTool({command, "--help"});
        EXPECT_EQ(help.exitCode, 0);
        EXPECT_EQ(help.out.find(std::string("usage: nimbrel-pack ") + command), 0u);
    }
    EXPECT_NE(RunTool({"check", "--help"}).out.find("stage 7"), std::string::npos);
}

}  // namespace
