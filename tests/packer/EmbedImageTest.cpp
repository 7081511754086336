// Embed's PE code on launchers the tests make: the rebuilt image keeps its relocations and
// carries its checksum (worked by hand below; pefile checks it on the real launcher), versions
// and icons read back as written, and a template that cannot be rebuilt safely is refused with
// its reason.
#include <algorithm>
#include <functional>

#include "Launcher/base/ResourceIds.h"
#include "Packer/exe/LauncherTemplate.h"
#include "Packer/exe/PeResources.h"
#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeChecksum.h"
#include "tests/packer/PackerTestSupport.h"

namespace {

constexpr std::uint32_t Language = NIMBREL_RESOURCE_LANGUAGE;

// The bytes of the base relocation table, found through its data-directory entry.
std::vector<std::uint8_t> RelocationTable(std::span<const std::uint8_t> file) {
    PeImage image;
    std::string error;
    EXPECT_TRUE(ParsePeImage(file, image, error)) << error;
    const PeDirectory table = image.directories[PeDirectoryIndex::BaseRelocation];
    const auto offset = FileOffsetOfRva(image, table.rva, table.size);
    if (!offset) {
        ADD_FAILURE() << "the relocation table lies outside the sections";
        return {};
    }
    const auto start = file.begin() + static_cast<std::ptrdiff_t>(*offset);
    return {start, start + table.size};
}

LauncherTemplate ReadTemplate(std::span<const std::uint8_t> file) {
    LauncherTemplate launcher;
    std::string error;
    EXPECT_TRUE(ReadLauncherTemplate(file, false, launcher, error)) << error;
    return launcher;
}

// Embeds changes into file and gives the output, read back and checked by the packer.
std::vector<std::uint8_t> Embed(std::span<const std::uint8_t> file, EmbedChanges changes,
                                bool strip = false) {
    LauncherTemplate launcher;
    ResourceTree resources;
    std::vector<std::uint8_t> out;
    std::string error;
    EXPECT_TRUE(ReadLauncherTemplate(file, strip, launcher, error) &&
                ChangedResources(launcher, std::move(changes), resources, error) &&
                WriteLauncher(file, launcher, resources, out, error))
        << error;
    return out;
}

class EmbedImageOfKind : public ::testing::TestWithParam<PeKind> {};

// The payload shrinks the resource section and grows it past several section alignments.
TEST_P(EmbedImageOfKind, MovesTheRelocationsUnchangedAndSetsTheChecksum) {
    const auto file = MakePeImage(LauncherResources(), GetParam(),
                                  {TestPeLayout::DataRva, TestPeLayout::DataRva + 0x18});
    const std::vector<std::uint8_t> before = RelocationTable(file);
    ASSERT_EQ(before.size(), 2u * 12);
    for (const std::size_t blobSize : {8, 9000}) {
        SCOPED_TRACE(blobSize);
        EmbedChanges changes;
        changes.manifest = RandomBytes(64, 7);
        changes.blob = RandomBytes(blobSize, 8);
        const auto out = Embed(file, changes);
        EXPECT_EQ(RelocationTable(out), before);
        EXPECT_TRUE(std::equal(file.begin() + 0x400, file.begin() + TestPeLayout::ResourceRaw,
                               out.begin() + 0x400));  // .text and .data kept byte for byte
        const LauncherTemplate rebuilt = ReadTemplate(out);
        ASSERT_EQ(rebuilt.image.sections.size(), 4u);
        EXPECT_EQ(rebuilt.image.directories[PeDirectoryIndex::BaseRelocation].rva,
                  rebuilt.image.sections[3].virtualAddress);
        EXPECT_EQ(rebuilt.image.sizeOfImage, rebuilt.image.sections[3].virtualAddress + 0x1000);
        EXPECT_EQ(ByteReader{out}.U32(TestPeLayout::CheckSum),
                  PeChecksum(out, TestPeLayout::CheckSum));
        ExePayload payload;
        std::string error;
        ASSERT_TRUE(FindPayloadInExe(out, payload, error)) << error;
        ASSERT_EQ(payload.loaderCode, 0);
        EXPECT_EQ(ViewBytes(payload.views.manifest), changes.manifest);
        EXPECT_EQ(ViewBytes(payload.views.blob), changes.blob);
    }
}

TEST_P(EmbedImageOfKind, SetsBothVersionsAndKeepsTheRestOfTheBlock) {
    EmbedChanges changes;
    changes.fileVersion = VersionNumber{1, 2, 3, 4};
    changes.productVersion = VersionNumber{65535, 0, 7, 8};
    const auto out = Embed(MakePeImage(LauncherResources(), GetParam()), changes);
    VersionNode version;
    std::string error;
    ASSERT_TRUE(ReadVersionBlock(
        ReadTemplate(out).resources.at({ResourceType::Version, NIMBREL_VERSION_ID, Language}).bytes,
        version, error))
        << error;
    EXPECT_EQ(VersionString(version, u"FileVersion"), u"1.2.3.4");
    EXPECT_EQ(VersionString(version, u"ProductVersion"), u"65535.0.7.8");
    EXPECT_EQ(VersionString(version, u"OriginalFilename"), u"Nimbrel.Launcher.exe");
    const ByteReader fixed{version.value};
    EXPECT_EQ(fixed.U32(8), 0x00010002u);
    EXPECT_EQ(fixed.U32(12), 0x00030004u);
    EXPECT_EQ(fixed.U32(16), 0xFFFF0000u);
    EXPECT_EQ(fixed.U32(20), 0x00070008u);
}

// An icon file of two images read, embedded, and found again through the rebuilt icon group.
TEST_P(EmbedImageOfKind, ReplacesTheIconWithTheImagesOfAnIconFile) {
    const std::vector<std::uint8_t> dib(40, 0xD1);
    const std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', 1, 2, 3};
    std::vector<std::uint8_t> ico = {0, 0, 1, 0, 2, 0};
    ico.insert(ico.end(), {16, 16, 0, 0, 1, 0, 32, 0, 40, 0, 0, 0, 38, 0, 0, 0});
    ico.insert(ico.end(), {0, 0, 0, 0, 1, 0, 32, 0, 7, 0, 0, 0, 78, 0, 0, 0});
    ico.insert(ico.end(), dib.begin(), dib.end());
    ico.insert(ico.end(), png.begin(), png.end());
    std::vector<IconImage> images;
    std::string error;
    ASSERT_TRUE(ReadIconFile(ico, images, error)) << error;
    ASSERT_EQ(images.size(), 2u);
    EXPECT_EQ(images[0].width, 16);
    EXPECT_EQ(images[0].bitCount, 32);
    EXPECT_EQ(images[0].bytes, dib);
    EXPECT_EQ(images[1].width, 0);
    EXPECT_EQ(images[1].bytes, png);

    EmbedChanges changes;
    changes.icon = &images;
    const ResourceTree resources =
        ReadTemplate(Embed(MakePeImage(LauncherResources(), GetParam()), changes)).resources;
    const std::vector<std::uint8_t>& group =
        resources.at({ResourceType::GroupIcon, NIMBREL_ICON_GROUP_ID, Language}).bytes;
    ASSERT_EQ(group.size(), 6u + 2 * 14);
    EXPECT_EQ(ByteReader{group}.U16(4), 2);
    for (std::size_t i = 0; i < images.size(); ++i) {
        const std::size_t entry = 6 + 14 * i;
        EXPECT_EQ(group[entry], images[i].width);
        EXPECT_EQ(ByteReader{group}.U32(entry + 8), images[i].bytes.size());
        const std::uint32_t id = ByteReader{group}.U16(entry + 12).value_or(0);
        EXPECT_EQ(resources.at({ResourceType::Icon, id, Language}).bytes, images[i].bytes);
    }
    EXPECT_EQ(std::count_if(resources.begin(), resources.end(),
                            [](const auto& r) { return r.first.type == ResourceType::Icon; }),
              2);
}

// Each row damages the launcher in one way; empty expected means the template is accepted.
struct TemplateCase {
    const char* what;
    std::function<void(std::vector<std::uint8_t>&, const PeImage&)> damage;
    std::vector<std::uint32_t> relocated;
    bool strip;
    const char* expected;
};

void Sign(std::vector<std::uint8_t>& file, const PeImage& image) {
    PutU32(file, image.offsets.directories + 8 * PeDirectoryIndex::Certificate,
           static_cast<std::uint32_t>(file.size()));
    PutU32(file, image.offsets.directories + 8 * PeDirectoryIndex::Certificate + 4, 16);
    file.resize(file.size() + 16, 0x5A);
}

const std::vector<std::uint32_t> DataRelocations = {TestPeLayout::DataRva};

const TemplateCase TemplateCases[] = {
    {"signed", Sign, DataRelocations, false, "the launcher is signed"},
    {"signed, signature stripped", Sign, DataRelocations, true, ""},
    {"cut short", [](auto& file, auto&) { file.resize(file.size() - 0x100); }, DataRelocations,
     false, "the file is cut short"},
    {"overlay", [](auto& file, auto&) { file.resize(file.size() + 7, 1); }, DataRelocations, false,
     "7 bytes follow the last section"},
    {"relocation into the resources",
     [](auto&, auto&) {},
     {TestPeLayout::DataRva, TestPeLayout::ResourceRva + 8},
     false,
     "a base relocation at address 0x3008"},
    {"resource directory counts past the section",
     [](auto& file, auto&) { PutU16(file, TestPeLayout::ResourceRaw + 14, 0xFFFF); },
     DataRelocations, false, "the resource tree does not parse"},
    {"code after the resources",
     [](auto& file, const PeImage& image) {
         PutU32(file, image.offsets.sectionTable + 3 * 40 + 36, 0x60000020u);
     },
     DataRelocations, false, "section .reloc holds code"},
    {"debug directory in the relocations",
     [](auto& file, const PeImage& image) {
         PutU32(file, image.offsets.directories + 8 * PeDirectoryIndex::Debug,
                image.sections[3].virtualAddress);
         PutU32(file, image.offsets.directories + 8 * PeDirectoryIndex::Debug + 4, 28);
     },
     DataRelocations, false, "the debug directory lies in the resource section, after it"},
    {"no PE signature", [](auto& file, auto&) { file[0x40] = 'X'; }, DataRelocations, false,
     "not a PE image"},
    {"console program", [](auto& file, auto&) { PutU16(file, TestPeLayout::Subsystem, 3); },
     DataRelocations, false, "not a launcher built by this project"},
};

TEST_P(EmbedImageOfKind, RefusesTemplatesItCannotRebuildSafely) {
    for (const TemplateCase& row : TemplateCases) {
        SCOPED_TRACE(row.what);
        auto file = MakePeImage(LauncherResources(), GetParam(), row.relocated);
        PeImage image;
        std::string error;
        ASSERT_TRUE(ReadPeHeaders(file, image, error)) << error;
        row.damage(file, image);
        LauncherTemplate launcher;
        const bool read = ReadLauncherTemplate(file, row.strip, launcher, error);
        EXPECT_EQ(read, *row.expected == 0) << error;
        if (!read) {
            EXPECT_NE(error.find(row.expected), std::string::npos) << error;
            continue;
        }
        const auto out = Embed(file, {}, row.strip);
        ASSERT_TRUE(ReadPeHeaders(out, image, error)) << error;
        EXPECT_EQ(image.directories[PeDirectoryIndex::Certificate].size, 0u);
        EXPECT_EQ(out.size(), image.sections.back().rawOffset + image.sections.back().rawSize);
    }
}

INSTANTIATE_TEST_SUITE_P(EmbedImage, EmbedImageOfKind,
                         ::testing::Values(PeKind::Pe32, PeKind::Pe32Plus), PeKindName);

// Sums worked by hand: carries folded back in, the field skipped whatever it holds, a last odd
// byte counted as the low byte of a word, and the length added; split into runs at odd places.
TEST(PeChecksum, MatchesSumsWorkedByHand) {
    const struct {
        std::vector<std::uint8_t> file;
        std::uint32_t field;
        std::uint32_t expected;
    } rows[] = {
        {{1, 2, 3, 4, 0xAA, 0xBB, 0xCC, 0xDD, 0xFF, 0xFF, 0xFF, 0xFF, 5}, 4, 0x0616},
        {{1, 2, 3, 4, 0, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF, 5}, 4, 0x0616},
        {{0xFF, 0xFF, 1, 0, 9, 9, 9, 9}, 4, 1 + 8},
        {{9, 9, 9, 9, 0, 0, 0, 0}, 0, 8},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(PeChecksum(row.file, row.field), row.expected);
        const std::span<const std::uint8_t> all(row.file);
        EXPECT_EQ(PeChecksum({all.first(3), all.subspan(3, 2), all.subspan(5)}, row.field),
                  row.expected);
    }
}

// A tiny node laid out by hand, then a whole launcher block written, read and written again.
TEST(VersionBlock, ReadsBackWhatItWrites) {
    const std::vector<std::uint8_t> tiny = {16, 0, 2, 0, 1, 0, 'A', 0, 0, 0, 0, 0, 'x', 0, 0, 0};
    EXPECT_EQ(WriteVersionBlock({u"A", 1, {'x', 0, 0, 0}, {}}), tiny);
    VersionNode read;
    std::string error;
    ASSERT_TRUE(ReadVersionBlock(tiny, read, error)) << error;
    EXPECT_TRUE(read.key == u"A" && read.type == 1 && read.children.empty());
    EXPECT_EQ(read.value, (std::vector<std::uint8_t>{'x', 0, 0, 0}));

    const std::vector<std::uint8_t> block = WriteVersionBlock(LauncherVersionBlock());
    ASSERT_TRUE(ReadVersionBlock(block, read, error)) << error;
    EXPECT_EQ(WriteVersionBlock(read), block);
    EXPECT_EQ(VersionString(read, u"OriginalFilename"), u"Nimbrel.Launcher.exe");
    ASSERT_EQ(read.children.size(), 2u);
    EXPECT_EQ(read.children[1].children.at(0).value, (std::vector<std::uint8_t>{9, 4, 0xB0, 4}));
}

}  // namespace
