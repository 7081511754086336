// pack against real folders: identical output for identical files, and a refusal that names
// the item and writes nothing for every kind of folder a launcher could not reproduce.
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <functional>

#include "Packer/payload/FolderScan.h"
#include "tests/packer/PackerTestSupport.h"

namespace {

using ::testing::IsSubstring;

class PackFolder : public TempFolderTest {
protected:
    std::filesystem::path source() const { return root / "source"; }
    std::filesystem::path manifest() const { return root / "out" / "manifest.bin"; }
    std::filesystem::path blob() const { return root / "out" / "blob.bin"; }

    void SetUp() override {
        TempFolderTest::SetUp();
        std::filesystem::create_directories(root / "out");
    }

    ToolRun Pack(const std::filesystem::path& dir, const std::vector<std::string>& extra = {}) {
        std::vector<std::string> args = {
            "pack", dir.string(), "--manifest", manifest().string(), "--blob", blob().string()};
        args.insert(args.end(), extra.begin(), extra.end());
        return RunTool(args);
    }

    // Fills dir with a small mixed tree, creating the files in the given order.
    static void MakeTree(const std::filesystem::path& dir, bool reversed) {
        std::vector<std::function<void()>> steps = {
            [&] { WriteFileBytes(dir / "Nimbrel.exe", TextBytes(50000, 1)); },
            [&] { WriteFileBytes(dir / "lib" / "runtime.dll", RandomBytes(20000, 2)); },
            [&] { WriteFileBytes(dir / "Plugins" / "Deep" / "mod.dll", TextBytes(3000, 3)); },
            [&] { WriteFileBytes(dir / "Plugins" / "a.dat", {}); },
            [&] { WriteFileText(dir / "\xC3\xA9t\xC3\xA9.txt", "summer"); },
        };
        if (reversed) {
            std::reverse(steps.begin(), steps.end());
        }
        for (const auto& step : steps) {
            step();
        }
    }
};

TEST_F(PackFolder, SameFilesGiveByteIdenticalOutputWhateverOrderOrTimestamps) {
    MakeTree(source(), false);
    ASSERT_EQ(Pack(source()).exitCode, 0);
    const auto firstManifest = ReadFileBytes(manifest());
    const auto firstBlob = ReadFileBytes(blob());
    ASSERT_FALSE(firstManifest.value().empty());

    ASSERT_EQ(Pack(source()).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(manifest()), firstManifest);
    EXPECT_EQ(ReadFileBytes(blob()), firstBlob);

    const auto copy = root / "copy";
    MakeTree(copy, true);
    const auto past = std::filesystem::file_time_type::clock::now() - std::chrono::hours(2000);
    for (const auto& item : std::filesystem::recursive_directory_iterator(copy)) {
        std::filesystem::last_write_time(item.path(), past);
    }
    ASSERT_EQ(Pack(copy, {"--jobs", "1"}).exitCode, 0);
    EXPECT_EQ(ReadFileBytes(manifest()), firstManifest);
    EXPECT_EQ(ReadFileBytes(blob()), firstBlob);
}

TEST_F(PackFolder, RecordsAreSortedByRelativePath) {
    MakeTree(source(), true);
    const FolderScan scan = ScanPackFolder(source());
    ASSERT_TRUE(scan.problems.empty());
    std::vector<std::wstring> paths;
    for (const auto& file : scan.files) {
        paths.push_back(file.relativePath);
    }
    const std::vector<std::wstring> expected = {L"Nimbrel.exe", L"Plugins\\Deep\\mod.dll",
                                                L"Plugins\\a.dat", L"lib\\runtime.dll",
                                                L"\u00E9t\u00E9.txt"};
    EXPECT_EQ(paths, expected);
    EXPECT_EQ(scan.files[1].folder, L"Plugins\\Deep");
    EXPECT_EQ(scan.files[1].name, L"mod.dll");
}

TEST_F(PackFolder, WarnsAboutDeepEmptyFoldersAndLongPathsAndNotesConfigIniWithoutRefusing) {
    WriteFileText(source() / "a" / "b" / "c" / "deep.txt", "x");
    std::filesystem::create_directories(source() / "hollow");
    WriteFileText(source() / std::string(150, 'f') / std::string(44, 'n') / "x.dll", "201 units");
    WriteFileText(source() / std::string(150, 'f') / std::string(43, 'n') / "x.dll", "200 units");
    WriteFileText(source() / "Config.ini", "[default]");
    WriteFileText(source() / "a" / "Config.ini", "[default]");
    const ToolRun run = Pack(source());
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_PRED_FORMAT2(IsSubstring, "3 levels deep", run.err);
    EXPECT_PRED_FORMAT2(IsSubstring, "hollow: empty folder", run.err);
    EXPECT_PRED_FORMAT2(IsSubstring, "nnn/x.dll: the path is 201 UTF-16 code units long", run.err);
    EXPECT_PRED_FORMAT2(IsSubstring,
                        "a/Config.ini: a default, written only where the user has none\n", run.err);
    EXPECT_EQ(Occurrences(run.err, "code units long"), 1u) << run.err;
    EXPECT_EQ(Occurrences(run.err, "note:"), 2u) << run.err;
    EXPECT_TRUE(std::filesystem::exists(blob()));
}

struct Refusal {
    const char* name;
    const char* named;  // what the message must name
    std::function<void(const std::filesystem::path&)> make;
};

class PackRefusal : public PackFolder, public ::testing::WithParamInterface<Refusal> {};

TEST_P(PackRefusal, NamesTheItemAndWritesNothing) {
    WriteFileText(source() / "good.txt", "fine");
    GetParam().make(source());
    WriteFileText(manifest(), "old manifest");

    const ToolRun run = Pack(source());
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_PRED_FORMAT2(IsSubstring, GetParam().named, run.err);
    EXPECT_PRED_FORMAT2(IsSubstring, "nothing written", run.err);
    const std::string old = "old manifest";
    EXPECT_EQ(ReadFileBytes(manifest()), std::vector<std::uint8_t>(old.begin(), old.end()));
    EXPECT_FALSE(std::filesystem::exists(blob()));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root / "out"),
                            std::filesystem::directory_iterator()),
              1);
}

// Makes one file at relative below the folder given.
std::function<void(const std::filesystem::path&)> FileAt(const char* relative) {
    return [relative](const std::filesystem::path& dir) { WriteFileText(dir / relative, "x"); };
}

void MakeSocket(const std::filesystem::path& path) {
    const int handle = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string text = path.string();
    ASSERT_LT(text.size(), sizeof address.sun_path);
    std::copy(text.begin(), text.end(), address.sun_path);
    ASSERT_EQ(bind(handle, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    close(handle);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PackRefusal,
    ::testing::Values(
        Refusal{
            "FileLink", "link.txt: is a symbolic link",
            [](const auto& dir) { std::filesystem::create_symlink("good.txt", dir / "link.txt"); }},
        Refusal{"FolderLink", "linked: is a symbolic link",
                [](const auto& dir) {
                    std::filesystem::create_directories(dir / "real");
                    WriteFileText(dir / "real" / "x.txt", "x");
                    std::filesystem::create_directory_symlink("real", dir / "linked");
                }},
        Refusal{"Fifo", "pipe: is a special file",
                [](const auto& dir) { ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0600), 0); }},
        Refusal{"Socket", "sock: is a special file",
                [](const auto& dir) { MakeSocket(dir / "sock"); }},
        Refusal{"TwoGiB", "huge.bin: is 2147483648 bytes",
                [](const auto& dir) {
                    WriteFileText(dir / "huge.bin", "");
                    std::filesystem::resize_file(dir / "huge.bin", 0x80000000ull);
                }},
        Refusal{"Backslash", "a\\b.txt: the name holds one of", FileAt("a\\b.txt")},
        Refusal{"DriveColon", "C:evil.txt: the name holds one of", FileAt("C:evil.txt")},
        Refusal{"ReservedName", "Sub/aux.txt: the name is a reserved Windows device name",
                FileAt("Sub/aux.txt")},
        Refusal{"SuperscriptDevice", "lpt\xC2\xB3.d: the name is a reserved Windows device name",
                FileAt("lpt\xC2\xB3.d/x.dll")},
        Refusal{"TrailingDot", "dot.: the name ends in a dot", FileAt("dot.")},
        Refusal{"NotUtf8", "the name is not valid UTF-8", FileAt("bad\xFF.txt")},
        Refusal{"FilesDifferingInCase", "good.txt: differs from Good.TXT only in letter case",
                FileAt("Good.TXT")},
        Refusal{"FoldersDifferingInCase", "sub: differs from Sub only in letter case",
                [](const auto& dir) {
                    WriteFileText(dir / "Sub" / "one.txt", "1");
                    WriteFileText(dir / "sub" / "two.txt", "2");
                }},
        Refusal{"SettingsFileFolder", "config.INI/x.txt: a folder element is named Config.ini",
                FileAt("config.INI/x.txt")},
        Refusal{"FileBesideFolder", "extras: the path is also a folder of record",
                [](const auto& dir) {
                    WriteFileText(dir / "extras", "file");
                    WriteFileText(dir / "Extras" / "x.dll", "x");
                }}),
    NamedByParam);

TEST_F(PackFolder, RefusesAFolderWithoutFiles) {
    std::filesystem::create_directories(source() / "only" / "folders");
    const ToolRun run = Pack(source());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_PRED_FORMAT2(IsSubstring, "holds no files", run.err);
    EXPECT_FALSE(std::filesystem::exists(manifest()));
    EXPECT_FALSE(std::filesystem::exists(blob()));
}

TEST_F(PackFolder, RefusesAMissingFolderAndOutputsThatCollideOrCannotBeWritten) {
    EXPECT_EQ(Pack(root / "absent").exitCode, 2);
    WriteFileText(source() / "a.txt", "a");
    const ToolRun same = RunTool(
        {"pack", source().string(), "--manifest", blob().string(), "--blob", blob().string()});
    EXPECT_EQ(same.exitCode, 2);
    EXPECT_FALSE(std::filesystem::exists(blob()));
    // Paths the file system cannot resolve (an element too long) are still two outputs.
    const std::filesystem::path unresolvable = root / std::string(300, 'a');
    const ToolRun apart =
        RunTool({"pack", source().string(), "--manifest", (unresolvable / "m").string(), "--blob",
                 (unresolvable / "b").string()});
    EXPECT_EQ(apart.exitCode, 2);
    EXPECT_EQ(apart.err.find("name the same file"), std::string::npos) << apart.err;
    EXPECT_PRED_FORMAT2(IsSubstring, "cannot be written", apart.err);
    // One output that cannot be written leaves no part of the other.
    EXPECT_EQ(RunTool({"pack", source().string(), "--manifest", manifest().string(), "--blob",
                       (root / "absent" / "blob.bin").string()})
                  .exitCode,
              2);
    EXPECT_TRUE(std::filesystem::is_empty(root / "out"));
}

TEST_F(PackFolder, NeverTouchesFilesNamedLikeItsTemporariesAndRefusesOutputsThatAreNoFile) {
    WriteFileText(source() / "a.txt", "a");
    const std::filesystem::path userFiles[] = {root / "out" / "manifest.bin.partial",
                                               root / "out" / "blob.bin.partial"};
    WriteFileText(userFiles[0], "the user's");
    std::filesystem::create_symlink(source() / "a.txt", userFiles[1]);
    ASSERT_EQ(Pack(source()).exitCode, 0);
    EXPECT_EQ(ReadFileText(userFiles[0]), "the user's");
    EXPECT_TRUE(std::filesystem::is_symlink(userFiles[1]));
    EXPECT_EQ(ReadFileText(source() / "a.txt"), "a");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(root / "out"), {}), 4);

    for (const std::string& output :
         {std::string(), (root / "out").string(), root.string() + "/"}) {
        const ToolRun run =
            RunTool({"pack", source().string(), "--manifest", output, "--blob", blob().string()});
        EXPECT_EQ(run.exitCode, 2) << output;
        EXPECT_TRUE(run.err.find("empty") != std::string::npos ||
                    run.err.find("names a folder") != std::string::npos)
            << run.err;
    }
}

}  // namespace
