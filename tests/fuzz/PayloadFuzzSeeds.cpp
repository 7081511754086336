// payload_fuzz_seeds: writes the seed corpus of payload_fuzz from the named test payloads, or
// with --check tells whether a folder holds exactly those seeds (the committed corpus is kept
// in step by a test). Deterministic: the same zstd gives the same bytes.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "tests/fuzz/FuzzInput.h"
#include "tests/payload/support/TestPayloadCases.h"
#include "tests/support/FileBytes.h"

namespace {

using Seeds = std::map<std::string, std::vector<std::uint8_t>>;

constexpr std::uint8_t allFixes =
    FuzzFlag::FixHeaderChecksums | FuzzFlag::FixRangeChecksums | FuzzFlag::FixContentChecksums;

std::vector<std::uint8_t> Seed(const TestPayloadBytes& bytes, std::uint8_t flags) {
    return EncodeFuzzInput({flags, bytes.manifest, bytes.blob});
}

Seeds BuildSeeds() {
    Seeds seeds;
    for (const TestPayloadCase& item : BuildTestPayloadCases()) {
        seeds[std::string(item.name)] = Seed(item.bytes, 0);
    }
    // Inputs that repair their checksums reach the parser and the decoder after any mutation.
    seeds["good-fixed"] = Seed(BuildTestPayloadCases().front().bytes, allFixes);
    const Bytes first = SeededBytes(5, 200);
    const Bytes second = SeededBytes(6, 300);
    Bytes both = first;
    both.insert(both.end(), second.begin(), second.end());
    TestPayload twoFrames = BuildTestPayload({{L"Sub", L"two.bin", both}});
    Bytes range = CompressFrame(first);
    const Bytes secondFrame = CompressFrame(second, 19);
    range.insert(range.end(), secondFrame.begin(), secondFrame.end());
    PlaceRange(twoFrames, 0, range);
    seeds["two-frames-fixed"] = Seed(SerializeTestPayload(twoFrames), allFixes);
    return seeds;
}

int Check(const Seeds& seeds, const std::filesystem::path& folder) {
    int problems = 0;
    for (const auto& [name, bytes] : seeds) {
        if (ReadFileBytes(folder / name) != bytes) {
            std::fprintf(stderr, "payload_fuzz_seeds: %s is missing or out of date\n",
                         name.c_str());
            ++problems;
        }
    }
    for (const auto& file : std::filesystem::directory_iterator(folder)) {
        if (seeds.count(file.path().filename().string()) == 0) {
            std::fprintf(stderr, "payload_fuzz_seeds: %s is not a seed\n",
                         file.path().filename().string().c_str());
            ++problems;
        }
    }
    if (problems != 0) {
        std::fprintf(stderr, "regenerate with: payload_fuzz_seeds %s\n", folder.string().c_str());
    }
    return problems == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const Seeds seeds = BuildSeeds();
        if (argc == 3 && std::string_view(argv[1]) == "--check") {
            return Check(seeds, argv[2]);
        }
        if (argc != 2) {
            std::fprintf(stderr, "usage: payload_fuzz_seeds [--check] FOLDER\n");
            return 2;
        }
        for (const auto& [name, bytes] : seeds) {
            WriteFileBytes(std::filesystem::path(argv[1]) / name, bytes);
        }
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "payload_fuzz_seeds: %s\n", error.what());
        return 1;
    }
}
