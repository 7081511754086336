// Test helpers for the packer suites.
#include "tests/packer/PackerTestSupport.h"

#include <random>
#include <sstream>

#include "Packer/PackTool.h"
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

std::string PeKindName(const ::testing::TestParamInfo<PeKind>& test) {
    return test.param == PeKind::Pe32 ? "Pe32" : "Pe32Plus";
}

namespace {

void Put16(std::vector<std::uint8_t>& image, std::size_t at, std::uint32_t value) {
    image[at] = static_cast<std::uint8_t>(value);
    image[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

}  // namespace

std::vector<std::uint8_t> MakePeImage(const std::vector<PeResource>& resources, PeKind kind) {
    const bool plus = kind == PeKind::Pe32Plus;
    constexpr std::size_t peAt = 64;
    constexpr std::size_t optionalAt = peAt + 24;
    const std::uint32_t optionalSize = plus ? 240 : 224;
    const std::uint32_t directoriesAt = plus ? 112 : 96;  // the 64-bit image base is wider
    const std::size_t sectionAt = optionalAt + optionalSize;
    constexpr std::uint32_t rawAt = 0x200;
    constexpr std::uint32_t sectionRva = 0x1000;

    // The tree: root (one type) -> RT_RCDATA (one entry per id) -> one language each -> data.
    const auto count = static_cast<std::uint32_t>(resources.size());
    const std::uint32_t typeDir = 16 + 8;
    const std::uint32_t nameDirs = typeDir + 16 + 8 * count;
    const std::uint32_t dataEntries = nameDirs + 24 * count;
    std::uint32_t dataAt = dataEntries + 16 * count;
    std::vector<std::uint8_t> tree(dataAt);
    auto put16 = [&](std::uint32_t at, std::uint32_t v) { Put16(tree, at, v); };
    auto put32 = [&](std::uint32_t at, std::uint32_t v) { StoreUint32Le(tree, at, v); };
    put16(14, 1);
    put32(16, 10);
    put32(20, 0x80000000u | typeDir);
    put16(typeDir + 14, count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const PeResource& resource = resources[i];
        put32(typeDir + 16 + 8 * i, resource.id);
        put32(typeDir + 20 + 8 * i, 0x80000000u | (nameDirs + 24 * i));
        put16(nameDirs + 24 * i + 14, 1);
        put32(nameDirs + 24 * i + 16, resource.language);
        put32(nameDirs + 24 * i + 20, dataEntries + 16 * i);
        put32(dataEntries + 16 * i,
              static_cast<std::uint32_t>(sectionRva + dataAt + resource.rvaShift));
        put32(dataEntries + 16 * i + 4, static_cast<std::uint32_t>(resource.bytes.size()));
        tree.insert(tree.end(), resource.bytes.begin(), resource.bytes.end());
        dataAt += static_cast<std::uint32_t>(resource.bytes.size());
    }

    std::vector<std::uint8_t> image(rawAt);
    image[0] = 'M';
    image[1] = 'Z';
    StoreUint32Le(image, 0x3C, peAt);
    image[peAt] = 'P';
    image[peAt + 1] = 'E';
    Put16(image, peAt + 4, plus ? 0x8664 : 0x14C);
    Put16(image, peAt + 6, 1);
    Put16(image, peAt + 20, optionalSize);
    Put16(image, optionalAt, plus ? 0x20B : 0x10B);
    StoreUint32Le(image, optionalAt + directoriesAt - 4, 16);
    StoreUint32Le(image, optionalAt + directoriesAt + 16, sectionRva);
    StoreUint32Le(image, optionalAt + directoriesAt + 20, static_cast<std::uint32_t>(tree.size()));
    std::copy_n(".rsrc", 5, image.begin() + sectionAt);
    StoreUint32Le(image, sectionAt + 8, static_cast<std::uint32_t>(tree.size()));
    StoreUint32Le(image, sectionAt + 12, sectionRva);
    StoreUint32Le(image, sectionAt + 16, static_cast<std::uint32_t>(tree.size()));
    StoreUint32Le(image, sectionAt + 20, rawAt);
    image.insert(image.end(), tree.begin(), tree.end());
    return image;
}
