// A damaged launcher tells the user exactly what is wrong with one warning box and ends with
// -100 once the box is closed. Each case runs a launcher built with a payload damaged one way.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/LittleEndian.h"
#include "Launcher/report/FatalText.h"
#include "Packer/exe/PeResources.h"
#include "tests/e2e/E2eSupport.h"

namespace {

// The first box is left open past the watchdog's five seconds: the launch still ends with -100.
TEST(CorruptPayload, MissingManifestOrBlobShowsStageOneWithItsCode) {
    LaunchOptions leftOpen;
    leftOpen.boxCloseDelayMs = 6500;
    const LaunchResult result = RunLauncher(CaseLauncher(L"no-payload"), leftOpen);
    ExpectFailureBox(result, ResourcesCorruptMessage(SignedStageError(1, 1, 0)));
    EXPECT_GT(result.seconds, 6.0);
    ExpectFailureBox(RunLauncher(CaseLauncher(L"no-blob")),
                     ResourcesCorruptMessage(SignedStageError(1, 11, 0)));
}

// The code a case's payload must show, as the test payload tool wrote it ("7.1.12").
std::wstring ExpectedCode(const std::wstring& caseName) {
    const std::string text =
        ReadFileText(std::filesystem::path(TestProgramDirectory()) / caseName / L"expected.txt");
    return std::wstring(text.begin(), std::find(text.begin(), text.end(), '\n'));
}

std::wstring CorruptMessage(const std::wstring& code) {
    std::wstringstream parts(code);
    std::wstring stage, first, second;
    std::getline(parts, stage, L'.');
    std::getline(parts, first, L'.');
    std::getline(parts, second, L'.');
    return FillTemplate(ResourcesCorruptText, {stage, first, second});
}

class DamagedPayload : public LauncherTest, public ::testing::WithParamInterface<const wchar_t*> {};

TEST_P(DamagedPayload, ShowsTheCodeOfTheFirstFailingCheck) {
    const std::wstring code = ExpectedCode(GetParam());
    ASSERT_FALSE(code.empty());
    ExpectFailureBox(RunLauncher(CaseLauncher(GetParam())), CorruptMessage(code));
}

INSTANTIATE_TEST_SUITE_P(Stages, DamagedPayload,
                         ::testing::Values(L"short-manifest", L"bad-manifest-crc", L"count-zero",
                                           L"count-negative", L"bad-blob-crc",
                                           L"count-past-records", L"empty-name", L"damaged-range",
                                           L"wrong-size-frame", L"bad-content-crc"));

TEST_F(DamagedPayload, DamagedEntryOfAFileThatDiffersShowsStageSix) {
    // Record 1 of the damaged-range payload is Sub\data.bin; with a different file in its place
    // the entry is decompressed during the walk, not in the final pass, and the file stays.
    const std::filesystem::path differing =
        std::filesystem::path(UserWorkingDirectory()) / L"Sub" / L"data.bin";
    WriteFileText(differing, "other content");
    ExpectFailureBox(RunLauncher(CaseLauncher(L"damaged-range")),
                     ResourcesCorruptMessage(SignedStageError(6, 1, 12)));
    EXPECT_EQ(ReadFileText(differing), "other content");
}

TEST_F(DamagedPayload, PayloadWithoutTheApplicationReportsThatItCouldNotStart) {
    // The good test payload is sound but carries no Nimbrel.exe, so the start itself fails.
    ExpectFailureBox(
        RunLauncher(CaseLauncher(L"good")),
        FillTemplate(StartApplicationFailedText, {UserWorkingDirectory() + L"\\Nimbrel.exe"}));
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(UserWorkingDirectory()) / L"Sub" /
                                        L"Deep" / L"module.dll"));
}

// The launcher that nimbrel-pack embed wrote, with one byte of its manifest or of its blob changed
// afterwards (embed itself refuses such a payload): the start fails on that resource's checksum.
TEST_F(DamagedPayload, EmbeddedLauncherWithADamagedManifestOrBlobShowsItsChecksumCode) {
    const std::string launcher = ReadFileText(CaseLauncher(L"embedded"));
    const std::vector<std::uint8_t> file(launcher.begin(), launcher.end());
    ExePayload payload;
    std::string error;
    ASSERT_TRUE(FindPayloadInExe(file, payload, error)) << error;
    ASSERT_EQ(payload.loaderCode, 0);
    const std::filesystem::path damaged = std::filesystem::path(TestProgramDirectory()) /
                                          L"embedded-damaged" / L"Nimbrel.Launcher.exe";
    for (const auto& [view, stage] :
         {std::pair{payload.views.manifest, 2}, std::pair{payload.views.blob, 4}}) {
        std::string bytes = launcher;
        const std::size_t at = static_cast<std::size_t>(view.data - file.data()) + view.size / 2;
        bytes[at] = static_cast<char>(bytes[at] ^ 0x20);
        WriteFileText(damaged, bytes);
        const auto* start =
            reinterpret_cast<const std::uint8_t*>(bytes.data()) + (view.data - file.data());
        const StageError code{stage, Crc32c(0, start + 4, static_cast<std::size_t>(view.size - 4)),
                              ReadUint32Le(start)};
        SCOPED_TRACE(stage);
        ExpectFailureBox(RunLauncher(damaged.wstring()), ResourcesCorruptMessage(code));
    }
    RemoveTestFolder(damaged.parent_path().wstring());
}

}  // namespace
