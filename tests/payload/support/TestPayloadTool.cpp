// nimbrel-test-payload: writes one named test payload as manifest.bin and blob.bin for the
// end-to-end suites, with the code a start into an empty folder must show in expected.txt.
#include <cstdio>
#include <exception>
#include <string_view>

#include "tests/payload/support/TestPayloadCases.h"
#include "tests/support/FileBytes.h"

namespace {

// What a start into an empty folder shows: a code, "refused N" for a record whose path is
// unsafe, or "ok".
std::string ExpectedText(const TestPayloadCase& item) {
    if (item.refused) {
        return "refused " + std::to_string(*item.refused);
    }
    return item.expected ? FormatStageError(*item.expected) : "ok";
}

void PrintUsage(const std::vector<TestPayloadCase>& cases) {
    std::printf(
        "usage: nimbrel-test-payload CASE OUTDIR\n"
        "Writes OUTDIR/manifest.bin, OUTDIR/blob.bin and OUTDIR/expected.txt (the code a start\n"
        "into an empty folder shows, \"refused N\" or \"ok\"). Cases:\n");
    for (const TestPayloadCase& item : cases) {
        const std::string expected = ExpectedText(item);
        std::printf("  %-20.*s %-24s %.*s\n", static_cast<int>(item.name.size()), item.name.data(),
                    expected.c_str(), static_cast<int>(item.description.size()),
                    item.description.data());
    }
}

}  // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<TestPayloadCase> cases = BuildTestPayloadCases();
        if (argc != 3) {
            PrintUsage(cases);
            return argc == 2 && (std::string_view(argv[1]) == "--help" ||
                                 std::string_view(argv[1]) == "-h")
                       ? 0
                       : 2;
        }
        for (const TestPayloadCase& item : cases) {
            if (item.name != argv[1]) {
                continue;
            }
            const std::filesystem::path folder = argv[2];
            WriteFileBytes(folder / "manifest.bin", item.bytes.manifest);
            WriteFileBytes(folder / "blob.bin", item.bytes.blob);
            const std::string expected = ExpectedText(item);
            WriteFileText(folder / "expected.txt", expected + "\n");
            std::printf("%s\n", expected.c_str());
            return 0;
        }
        std::fprintf(stderr, "nimbrel-test-payload: unknown case '%s' (see --help)\n", argv[1]);
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "nimbrel-test-payload: %s\n", error.what());
        return 1;
    }
}
