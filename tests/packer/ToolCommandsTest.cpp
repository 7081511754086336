// list, check and the command line, run in process: exit codes, rows, and the exact error code
// a launcher would show for each kind of damage.
#include "Launcher/payload/LittleEndian.h"
#include "Packer/payload/PayloadBuilder.h"
#include "tests/packer/PackerTestSupport.h"
#include "tests/payload/support/TestPayload.h"

// The payload ids are spelled out on purpose (48978, 19266): a second reading of the format.
namespace {

using ::testing::IsSubstring;

class ToolCommands : public TempFolderTest {
protected:
    std::filesystem::path m() const { return root / "m.bin"; }
    std::filesystem::path b() const { return root / "b.bin"; }

    void SetUp() override {
        TempFolderTest::SetUp();
        WriteFileBytes(root / "src" / "Nimbrel.exe", TextBytes(30000, 4));
        WriteFileBytes(root / "src" / "Sub" / "x.dll", RandomBytes(3000, 5));
        ASSERT_EQ(RunTool({"pack", (root / "src").string(), "--manifest", m().string(), "--blob",
                           b().string(), "--level", "3"})
                      .exitCode,
                  0);
    }

    ToolRun WithFiles(const std::string& command) {
        return RunTool({command, "--manifest", m().string(), "--blob", b().string()});
    }

    // Writes the payload of records (each compressed from ten bytes of text unless already
    // compressed) and checks it.
    ToolRun CheckRecords(std::vector<PayloadRecord> records) {
        for (PayloadRecord& record : records) {
            if (record.packed.frame.empty()) {
                record.packed = Compressed(TextBytes(10, 1), 3);
            }
        }
        PayloadBytes bytes;
        std::string error;
        EXPECT_TRUE(BuildPayload(records, bytes, error)) << error;
        WriteFileBytes(m(), bytes.manifest);
        WriteFileBytes(b(), bytes.blob);
        return WithFiles("check");
    }
};

TEST_F(ToolCommands, ChecksAndListsASoundPayload) {
    const ToolRun check = WithFiles("check");
    EXPECT_EQ(check.exitCode, 0) << check.err;
    EXPECT_EQ(check.out.find("check: ok, 2 files, 33000 bytes"), 0u) << check.out;

    const ToolRun list = WithFiles("list");
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_PRED_FORMAT2(IsSubstring, "    0  Nimbrel.exe       30000", list.out);
    EXPECT_PRED_FORMAT2(IsSubstring, "    1  Sub\\x.dll          3000", list.out);
    char crc[11];  // the first record's content checksum, after its sizes and name
    std::snprintf(crc, sizeof crc, "0x%08X",
                  ReadUint32Le(ReadFileBytes(m()).value().data() + 8 + 4 + 4 + 22 + 4));
    EXPECT_PRED_FORMAT2(IsSubstring, crc, list.out);
}

// One byte changed in the blob or the manifest, with the checksum word left or made right again.
TEST_F(ToolCommands, ReportsEachDamageWithTheLaunchersCode) {
    const auto blob = ReadFileBytes(b()).value();
    const auto manifest = ReadFileBytes(m()).value();
    const struct {
        bool inBlob;
        std::size_t at;
        std::uint8_t value;
        bool fixChecksum;
        const char* code;
        int listExit;  // list reads the records only, not the frames; -1: not tried
    } damages[] = {
        {true, 10, static_cast<std::uint8_t>(blob[10] ^ 1), false, "error code 4.", -1},
        {true, 10, static_cast<std::uint8_t>(blob[10] ^ 1), true,
         "error code 7.0.12 (compressed CRC mismatch)", 0},
        {false, 4, 0, true, "error code 3.0.0", 1},
        {false, 4, 3, true, "error code 5.2.1", -1},
        {false, 20, 0x55, false, "error code 2.", -1},
    };
    for (const auto& damage : damages) {
        SCOPED_TRACE(damage.code);
        Bytes bytes = damage.inBlob ? blob : manifest;
        bytes[damage.at] = damage.value;
        if (damage.fixChecksum) {
            RefreshChecksum(bytes);
        }
        WriteFileBytes(b(), damage.inBlob ? bytes : blob);
        WriteFileBytes(m(), damage.inBlob ? manifest : bytes);
        const ToolRun run = WithFiles("check");
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_PRED_FORMAT2(IsSubstring, damage.code, run.err);
        if (damage.listExit >= 0) {
            EXPECT_EQ(WithFiles("list").exitCode, damage.listExit);
        }
    }
    WriteFileBytes(m(), manifest);
    WriteFileBytes(b(), {1, 2});
    EXPECT_PRED_FORMAT2(IsSubstring, "error code 1.14.0 (blob empty)", WithFiles("check").err);
}

TEST_F(ToolCommands, ChecksOnlyTheFirstRecordOfARepeatedPath) {
    // A start files the first record of a path and never reads a later one, damaged or not.
    std::vector<PayloadRecord> records(2, {L"Sub", L"x.dll", Compressed(TextBytes(500, 1), 3)});
    records[1].packed.compressedCrc ^= 1;
    const ToolRun run = CheckRecords(records);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_PRED_FORMAT2(IsSubstring, "warning: 1 records repeat the path", run.err);
    EXPECT_EQ(run.out.find("check: ok, 1 files, 500 bytes"), 0u) << run.out;
}

// What a start refuses, or what Windows takes for one path, is a failed check named by record and
// reason; every record is judged, one repeating an earlier path too. Near misses pass.
TEST_F(ToolCommands, RejectsUnsafePathsAndCaseTwinsAndNotesWhatIsWorthAWord) {
    const struct {
        std::vector<PayloadRecord> records;
        const char* said;  // with exit 1; null: passes
    } cases[] = {
        {{{L"", L"a.txt", {}}, {L"Plugins", L"nul.txt", {}}},
         "record 1 (Plugins\\nul.txt): the name is a reserved Windows device"},
        {{{L"Sub", L"a.txt", {}}, {L"CONFIG.INI", L"x.txt", {}}},
         "record 1 (CONFIG.INI\\x.txt): a folder element is named Config.ini"},
        {{{L"", L"Extras", {}}, {L"extras", L"x.dll", {}}},
         "record 0 (Extras): the path is also a folder of record 1"},
        {{{L"a", L"b", {}}, {L"", L"a\\b", {}}}, "record 1 (a\\b): the name holds one of"},
        {{{L"Sub", L"A.dll", {}}, {L"a", L"b", {}}, {L"sub", L"a.DLL", {}}},
         "records 0 (Sub\\A.dll) and 2 (sub\\a.DLL) differ only in letter case at Sub and sub"},
        {{{L"Sub", L"one.txt", {}}, {L"sub", L"two.txt", {}}},
         "records 0 (Sub\\one.txt) and 1 (sub\\two.txt) differ only in letter case"},
        {{{L"\u00C4", L"x", {}}, {L"\u00E4", L"y", {}}}, "differ only in letter case"},
        {{{L"\u00DF", L"x", {}},
          {L"SS", L"y", {}},
          {L"Config.ini.bak", L"Config.inix", {}},
          {L"", L"COM10", {}},
          {L"", L"LPT\u00B90", {}},
          {L"Sub", L"x", {}},
          {L"Subway", L"x", {}}},
         nullptr},
    };
    for (const auto& c : cases) {
        const ToolRun run = CheckRecords(c.records);
        SCOPED_TRACE(run.err);
        EXPECT_EQ(run.exitCode, c.said ? 1 : 0);
        if (c.said) {
            EXPECT_PRED_FORMAT2(IsSubstring, c.said, run.err);
        }
    }
    // Sound, but worth a word: a Config.ini in any letter case is only a default; a long path may
    // not fit.
    const ToolRun run =
        CheckRecords({{L"", L"config.INI", {}},
                      {std::wstring(150, L'f'), std::wstring(50, L'n') + L".dll", {}},
                      {L"Sub", L"Config.ini", {}}});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_PRED_FORMAT2(IsSubstring,
                        "note: record 2 (Sub\\Config.ini): a default, written only where the "
                        "user has none\n",
                        run.err);
    EXPECT_EQ(Occurrences(run.err, "note:"), 2u) << run.err;
    EXPECT_PRED_FORMAT2(IsSubstring, "warning: record 1 (fff", run.err);
    EXPECT_PRED_FORMAT2(IsSubstring, "the path is 205 UTF-16 code units long", run.err);
}

TEST_F(ToolCommands, ReadsThePayloadOutOfAnExecutable) {
    const auto exe = root / "Launcher.exe";
    WriteFileBytes(exe, MakePeImage({{48978, 1033, ReadFileBytes(m()).value()},
                                     {19266, 1033, ReadFileBytes(b()).value()}}));
    EXPECT_EQ(RunTool({"check", exe.string()}).exitCode, 0);
    const ToolRun list = RunTool({"list", exe.string()});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_PRED_FORMAT2(IsSubstring, "Sub\\x.dll", list.out);

    WriteFileBytes(exe, MakePeImage({{48978, 1033, ReadFileBytes(m()).value()}}));
    const ToolRun missing = RunTool({"check", exe.string()});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_PRED_FORMAT2(IsSubstring, "error code 1.11.0", missing.err);

    WriteFileText(exe, "not an executable");
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
