// Test helpers for the packer suites.
#include "tests/packer/PackerTestSupport.h"

#include <algorithm>
#include <random>
#include <sstream>

#include "Launcher/base/ResourceIds.h"
#include "Packer/PackTool.h"
#include "Packer/pe/ByteFields.h"
#include "tests/payload/support/TestPayload.h"

PackedFile Compressed(const std::vector<std::uint8_t>& content, int level) {
    PackedFile packed;
    std::string error;
    EXPECT_TRUE(CompressContent(content, level, packed, error)) << error;
    return packed;
}

std::vector<std::uint8_t> TextBytes(std::size_t size, std::uint32_t seed) {
    static const char* const words[] = {"payload ",  "launcher ", "record ", "folder ",
                                        "checksum ", "frame ",    "\n",      "module "};
    std::mt19937 generator(seed);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(size);
    while (bytes.size() < size) {
        for (const char* c = words[generator() % 8]; *c != 0 && bytes.size() < size; ++c) {
            bytes.push_back(static_cast<std::uint8_t>(*c));
        }
    }
    return bytes;
}

ToolRun RunTool(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    ToolRun run;
    run.exitCode = RunPackTool(args, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
}

std::size_t Occurrences(const std::string& text, const std::string& word) {
    std::size_t count = 0;
    for (std::size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        ++count;
    }
    return count;
}

std::vector<std::uint8_t> ViewBytes(const ByteView& view) {
    return {view.data, view.data + view.size};
}

std::string PeKindName(const ::testing::TestParamInfo<PeKind>& test) {
    return test.param == PeKind::Pe32 ? "Pe32" : "Pe32Plus";
}

namespace {

constexpr std::uint32_t FileAlignment = 0x200;
constexpr std::uint32_t SectionAlignment = 0x1000;

// A string node: its value as UTF-16 with a terminator.
VersionNode Text(std::u16string key, std::wstring_view value) {
    return {std::move(key), 1, Utf16Le(std::wstring(value) + L'\0'), {}};
}

struct Section {
    const char* name;
    std::uint32_t rva;
    std::uint32_t characteristics;
    std::vector<std::uint8_t> bytes;
};

std::vector<std::uint8_t> Relocations(PeKind kind, const std::vector<std::uint32_t>& relocated) {
    const std::uint32_t type = kind == PeKind::Pe32Plus ? 10 : 3;
    std::vector<std::uint8_t> table;
    for (const std::uint32_t rva : relocated) {
        const std::size_t at = table.size();
        table.resize(at + 12, 0);  // the page, the size, the entry and an absolute entry as padding
        PutU32(table, at, rva & ~0xFFFu);
        PutU32(table, at + 4, 12);
        PutU16(table, at + 8, type << 12 | (rva & 0xFFF));
    }
    return table;
}

// The tree: root -> one directory per type -> one directory per id -> one language -> data.
std::vector<std::uint8_t> ResourceSection(const std::vector<PeResource>& resources) {
    std::vector<std::uint32_t> types;
    for (const PeResource& resource : resources) {
        if (std::find(types.begin(), types.end(), resource.type) == types.end()) {
            types.push_back(resource.type);
        }
    }
    const auto count = static_cast<std::uint32_t>(resources.size());
    const auto typeCount = static_cast<std::uint32_t>(types.size());
    std::uint32_t typeDir = 16 + 8 * typeCount;
    const std::uint32_t idDirs = typeDir + 16 * typeCount + 8 * count;
    const std::uint32_t dataEntries = idDirs + 24 * count;
    std::vector<std::uint8_t> tree(dataEntries + 16 * count);
    PutU16(tree, 14, typeCount);
    std::uint32_t n = 0;
    for (std::uint32_t t = 0; t < typeCount; ++t) {
        PutU32(tree, 16 + 8 * t, types[t]);
        PutU32(tree, 20 + 8 * t, PeLayout::ResourceDirectory::HighBit | typeDir);
        std::uint32_t ids = 0;
        for (const PeResource& resource : resources) {
            if (resource.type != types[t]) {
                continue;
            }
            const std::uint32_t idDir = idDirs + 24 * n;
            const std::uint32_t entry = dataEntries + 16 * n++;
            PutU32(tree, typeDir + 16 + 8 * ids, resource.id);
            PutU32(tree, typeDir + 20 + 8 * ids++, PeLayout::ResourceDirectory::HighBit | idDir);
            PutU16(tree, idDir + 14, 1);
            PutU32(tree, idDir + 16, resource.language);
            PutU32(tree, idDir + 20, entry);
            PutU32(tree, entry,
                   static_cast<std::uint32_t>(TestPeLayout::ResourceRva + tree.size() +
                                              resource.rvaShift));
            PutU32(tree, entry + 4, static_cast<std::uint32_t>(resource.bytes.size()));
            tree.insert(tree.end(), resource.bytes.begin(), resource.bytes.end());
        }
        PutU16(tree, typeDir + 14, ids);
        typeDir += 16 + 8 * ids;
    }
    return tree;
}

}  // namespace

VersionNode LauncherVersionBlock() {
    std::vector<std::uint8_t> fixed(52, 0);
    PutU32(fixed, 0, 0xFEEF04BDu);
    PutU32(fixed, 4, 0x10000);
    PutU32(fixed, 8, 0x10002);
    VersionNode table{
        u"040904B0",
        1,
        {},
        {Text(u"FileVersion", L"1.2.0.0"), Text(u"OriginalFilename", L"Nimbrel.Launcher.exe")}};
    VersionNode translation{u"Translation", 0, {0x09, 0x04, 0xB0, 0x04}, {}};
    return {u"VS_VERSION_INFO",
            0,
            fixed,
            {{u"StringFileInfo", 1, {}, {table}}, {u"VarFileInfo", 1, {}, {translation}}}};
}

std::vector<PeResource> LauncherResources() {
    std::vector<std::uint8_t> group = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0};
    group.insert(group.end(), {40, 0, 0, 0, 1, 0});
    return {
        {1, 1033, std::vector<std::uint8_t>(40, 0x1C), 0, ResourceType::Icon},
        {NIMBREL_PAYLOAD_BLOB_ID, 1033, RandomBytes(300, 2)},
        {NIMBREL_PAYLOAD_MANIFEST_ID, 1033, RandomBytes(90, 1)},
        {NIMBREL_ICON_GROUP_ID, 1033, group, 0, ResourceType::GroupIcon},
        {NIMBREL_VERSION_ID, 1033, WriteVersionBlock(LauncherVersionBlock()), 0,
         ResourceType::Version},
        {NIMBREL_APP_MANIFEST_ID, 1033, TextBytes(200, 3), 0, ResourceType::Manifest},
    };
}

std::vector<std::uint8_t> MakePeImage(const std::vector<PeResource>& resourceList, PeKind kind,
                                      const std::vector<std::uint32_t>& relocated) {
    using namespace TestPeLayout;
    const std::vector<std::uint8_t> resources = ResourceSection(resourceList);
    const std::vector<std::uint8_t> relocations = Relocations(kind, relocated);
    const auto relocationRva =
        static_cast<std::uint32_t>(ResourceRva + AlignUp(resources.size(), SectionAlignment));
    const std::vector<Section> sections = {
        {".text", 0x1000, 0x60000020u, RandomBytes(0x180, 4)},
        {".data", DataRva, 0xC0000040u, RandomBytes(0x40, 5)},
        {".rsrc", ResourceRva, 0x40000040u, resources},
        {".reloc", relocationRva, 0x42000040u, relocations},
    };

    const bool plus = kind == PeKind::Pe32Plus;
    constexpr std::size_t optional = 0x58;
    const std::size_t directories = optional + (plus ? 112 : 96);
    const std::size_t table = directories + 16 * 8;
    std::vector<std::uint8_t> image(0x400, 0);
    image[0] = 'M';
    image[1] = 'Z';
    PutU32(image, 0x3C, 0x40);
    PutU32(image, 0x40, 0x4550);
    PutU16(image, 0x44, plus ? 0x8664 : 0x14C);
    PutU16(image, 0x46, static_cast<std::uint32_t>(sections.size()));
    PutU16(image, 0x54, static_cast<std::uint32_t>(table - optional));
    PutU16(image, 0x56, plus ? 0x0022 : 0x0102);
    PutU16(image, optional, plus ? 0x20B : 0x10B);
    PutU32(image, optional + 16, 0x1000);
    PutU32(image, optional + 32, SectionAlignment);
    PutU32(image, optional + 36, FileAlignment);
    PutU32(image, optional + 56, relocationRva + SectionAlignment);
    PutU32(image, optional + 60, 0x400);
    PutU16(image, optional + 68, 2);
    PutU32(image, directories - 4, 16);
    PutU32(image, directories + 16, ResourceRva);
    PutU32(image, directories + 20, static_cast<std::uint32_t>(resources.size()));
    PutU32(image, directories + 40, relocationRva);
    PutU32(image, directories + 44, static_cast<std::uint32_t>(relocations.size()));
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const Section& section = sections[i];
        const std::size_t header = table + 40 * i;
        const auto size = static_cast<std::uint32_t>(section.bytes.size());
        std::copy_n(section.name, std::char_traits<char>::length(section.name),
                    image.begin() + static_cast<std::ptrdiff_t>(header));
        PutU32(image, header + 8, size);
        PutU32(image, header + 12, section.rva);
        PutU32(image, header + 16, static_cast<std::uint32_t>(AlignUp(size, FileAlignment)));
        PutU32(image, header + 20, static_cast<std::uint32_t>(image.size()));
        PutU32(image, header + 36, section.characteristics);
        image.insert(image.end(), section.bytes.begin(), section.bytes.end());
        image.resize(AlignUp(image.size(), FileAlignment), 0);
    }
    return image;
}
