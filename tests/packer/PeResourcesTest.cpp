// Reading the payload out of a PE image: found where it is, the loader's codes where it is
// not, and no read outside the file whatever the file holds.
#include <cstdlib>

#include "Packer/payload/PayloadInput.h"
#include "Packer/exe/PeResources.h"
#include "tests/packer/PackerTestSupport.h"

// The payload ids 48978 and 19266 are spelled out here on purpose: a second reading of the format
// that catches a wrong id in the shared header.
namespace {

const std::vector<std::uint8_t> Manifest = {1, 2, 3, 4, 5, 6, 7, 8, 9};
const std::vector<std::uint8_t> Blob = {10, 20, 30, 40, 50};

ExePayload Find(const std::vector<std::uint8_t>& image, bool expectPe = true) {
    ExePayload payload;
    std::string error;
    EXPECT_EQ(FindPayloadInExe(image, payload, error), expectPe) << error;
    return payload;
}

// The cases that depend on the header layout run on both PE32 and PE32+ images (finding both
// resources among others: EmbedImageTest.cpp).
class PeResourcesOfKind : public ::testing::TestWithParam<PeKind> {};

TEST(PeResources, GivesTheLoaderCodesForMissingDamagedAndShortResources) {
    EXPECT_EQ(Find(MakePeImage({{19266, 1033, Blob}})).loaderCode, 1);
    EXPECT_EQ(Find(MakePeImage({})).loaderCode, 1);
    EXPECT_EQ(Find(MakePeImage({{48978, 1033, Manifest}})).loaderCode, 11);
    EXPECT_EQ(
        Find(MakePeImage({{48978, 1033, Manifest, 0x100000}, {19266, 1033, Blob}})).loaderCode, 2);
    EXPECT_EQ(
        Find(MakePeImage({{48978, 1033, Manifest}, {19266, 1033, Blob, -0x10000}})).loaderCode, 12);
    EXPECT_EQ(
        Find(MakePeImage({{48978, 1033, {1, 2, 3, 4, 5, 6, 7}}, {19266, 1033, Blob}})).loaderCode,
        4);
    EXPECT_EQ(Find(MakePeImage({{48978, 1033, Manifest}, {19266, 1033, {1, 2, 3}}})).loaderCode,
              14);
}

TEST(PeResources, FallsBackToAnotherLanguageWithAWarning) {
    const auto image = MakePeImage({{48978, 1031, Manifest}, {19266, 1033, Blob}});
    const ExePayload payload = Find(image);
    EXPECT_EQ(payload.loaderCode, 0);
    EXPECT_EQ(ViewBytes(payload.views.manifest), Manifest);
    ASSERT_EQ(payload.warnings.size(), 1u);
    EXPECT_NE(payload.warnings[0].find("language 1031"), std::string::npos);
}

TEST(PeResources, RejectsFilesThatAreNotPeImages) {
    Find({}, false);
    Find({'M', 'Z'}, false);
    auto image = MakePeImage({{48978, 1033, Manifest}, {19266, 1033, Blob}});
    image[64] = 'X';
    Find(image, false);
}

// Every prefix of a real image and every single-byte change in its headers and tree either
// gives a code, an error or views inside the bytes; AddressSanitizer catches any read past them.
TEST_P(PeResourcesOfKind, NeverReadsOutsideADamagedImage) {
    const auto image = MakePeImage({{48978, 1033, Manifest}, {19266, 1033, Blob}}, GetParam());
    const auto expectInside = [](std::span<const std::uint8_t> bytes) {
        ExePayload payload;
        std::string error;
        if (FindPayloadInExe(bytes, payload, error) && payload.loaderCode == 0) {
            EXPECT_GE(payload.views.manifest.data, bytes.data());
            EXPECT_LE(payload.views.blob.data + payload.views.blob.size,
                      bytes.data() + bytes.size());
        }
    };
    for (std::size_t length = 0; length <= image.size(); ++length) {
        expectInside(std::vector<std::uint8_t>(image.begin(), image.begin() + length));
    }
    for (std::size_t at = 0; at < image.size(); ++at) {
        for (const std::uint8_t value :
             {std::uint8_t{0x00}, std::uint8_t{0x7F}, std::uint8_t{0xFF}}) {
            auto damaged = image;
            damaged[at] = value;
            expectInside(damaged);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(PeResources, PeResourcesOfKind,
                         ::testing::Values(PeKind::Pe32, PeKind::Pe32Plus), PeKindName);

// The launchers built by the Windows trees, when the test is pointed at them: the product is a
// PE32 file, its twin a PE32+ file.
class BuiltLauncher : public ::testing::TestWithParam<const char*> {};

TEST_P(BuiltLauncher, IsReadAndPassesCheck) {
    const char* exe = std::getenv(GetParam());
    if (exe == nullptr || !std::filesystem::exists(exe)) {
        GTEST_SKIP() << GetParam() << " names no built launcher";
    }
    LoadedPayload payload;
    std::string error;
    ASSERT_TRUE(LoadPayload({exe, {}, {}}, payload, error)) << error;
    EXPECT_EQ(payload.loaderCode, 0);
    EXPECT_TRUE(payload.warnings.empty());
    const ToolRun check = RunTool({"check", exe});
    EXPECT_EQ(check.exitCode, 0) << check.err;
}

INSTANTIATE_TEST_SUITE_P(PeResources, BuiltLauncher,
                         ::testing::Values("NIMBREL_TEST_LAUNCHER_EXE",
                                           "NIMBREL_TEST_LAUNCHER_EXE_X64"));

}  // namespace
