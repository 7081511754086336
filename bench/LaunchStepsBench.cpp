// Times the launcher's own steps, linked from its libraries, against their floors in the same
// rounds: synchronisation of a folder with every file right, of an empty folder and of a folder
// with one file changed; Decompress against raw ZSTD_decompress; the checksum against a plain
// read of the same buffer. Usage: launch_steps_bench MANIFEST BLOB [ROUNDS]. Works in the temp
// folder. Prints table rows (milliseconds from QueryPerformanceCounter, ratios per round).
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BenchTable.h"
#include "Launcher/base/PathRules.h"
#include "Launcher/payload/Crc32c.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Launcher/workdir/CandidateDirectories.h"
#include "Launcher/workdir/FileChecksum.h"
#include "Launcher/workdir/FileSystem.h"
#include "Launcher/workdir/SelectWorkingDirectory.h"
#include "Launcher/workdir/Synchronise.h"
#include "StepFloors.h"

namespace {

volatile std::uint64_t resultSink;  // keeps each timed pass from being optimised away

double NowMs() {
    LARGE_INTEGER counter;
    LARGE_INTEGER frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

template <typename Pass>
double TimeMs(Pass pass) {
    const double start = NowMs();
    pass();
    return NowMs() - start;
}

std::vector<std::uint8_t> ReadWhole(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ByteView ViewOf(const std::vector<std::uint8_t>& bytes) {
    return {bytes.data(), static_cast<std::int32_t>(bytes.size())};
}

PendingEntries Parsed(const PayloadViews& views) {
    PendingEntries entries;
    if (VerifyAndParsePayload(views, entries)) {
        std::fprintf(stderr, "launch_steps_bench: the payload does not verify\n");
        std::exit(1);
    }
    return entries;
}

void EmptyFolder(const std::wstring& folder) {
    RemoveTree(folder);
    CreateDirectoryW(folder.c_str(), nullptr);
}

// Flips the first byte of the file at path, keeping its size: the next check finds it changed.
void SpoilFile(const std::wstring& path) {
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::uint8_t byte = 0;
    DWORD done = 0;
    ReadFile(handle, &byte, 1, &done, nullptr);
    byte = static_cast<std::uint8_t>(~byte);
    SetFilePointer(handle, 0, nullptr, FILE_BEGIN);
    WriteFile(handle, &byte, 1, &done, nullptr);
    CloseHandle(handle);
}

std::uint64_t SumWords(const std::vector<std::uint8_t>& buffer) {
    std::uint64_t sum = 0;
    for (std::size_t at = 0; at + 8 <= buffer.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, buffer.data() + at, sizeof word);
        sum += word;
    }
    return sum;
}

// The file the changed-file round spoils: the largest one under 4 MB, a typical library.
FloorFile ChangedFile(const std::vector<FloorFile>& files) {
    FloorFile chosen = files.front();
    for (const FloorFile& file : files) {
        if (file.contentSize < (4u << 20) && file.contentSize > chosen.contentSize) {
            chosen = file;
        }
    }
    return chosen;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3 || argc > 4) {
        std::fprintf(stderr, "usage: launch_steps_bench MANIFEST BLOB [ROUNDS]\n");
        return 1;
    }
    const int rounds = argc == 4 ? std::max(1, std::atoi(argv[3])) : 11;
    // Once, first of all, as in a launch: the shell's folder functions are cold.
    const double chooseFolderMs =
        TimeMs([] { resultSink = SelectWorkingDirectory(CollectCandidateDirectories()).size(); });
    const std::vector<std::uint8_t> manifest = ReadWhole(argv[1]);
    const std::vector<std::uint8_t> blob = ReadWhole(argv[2]);
    const PayloadViews views{ViewOf(manifest), ViewOf(blob)};
    const std::vector<FloorFile> files = FloorFiles(Parsed(views));
    const FloorFile changed = ChangedFile(files);

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring launcherFolder = JoinPath(temp, L"nimbrel-steps-launcher");
    const std::wstring floorFolder = JoinPath(temp, L"nimbrel-steps-floor");

    std::size_t largest = 0;
    for (const FloorFile& file : files) {
        largest = std::max(largest, file.contentSize);
    }
    std::vector<std::uint8_t> decodeBuffer(largest, 1);
    std::vector<std::uint8_t> checksumBuffer(16u << 20);
    for (std::size_t at = 0; at < checksumBuffer.size(); ++at) {
        checksumBuffer[at] = static_cast<std::uint8_t>(at * 2654435761u >> 13);
    }

    std::vector<double> listings, resets, streams;
    std::vector<double> verify, first, firstFloor, warm, warmFloor, oneChanged, oneFloor;
    std::vector<double> decompress, rawDecode, decodeWithChecks, checksum, plainRead;
    std::vector<double> warmRatio, firstRatio, changedRatio, decompressRatio, withChecksRatio;
    std::vector<double> checksumRatio;
    for (int round = 0; round <= rounds; ++round) {
        PendingEntries entries;
        const double verifyMs = TimeMs([&] { entries = Parsed(views); });

        EmptyFolder(launcherFolder);
        const double firstMs =
            TimeMs([&] { SynchroniseWorkingDirectory(launcherFolder, entries); });
        EmptyFolder(floorFolder);
        const double firstFloorMs =
            TimeMs([&] { resultSink = DecodeAndWrite(floorFolder, files); });

        entries = Parsed(views);
        const double warmMs = TimeMs([&] { SynchroniseWorkingDirectory(launcherFolder, entries); });
        const double warmFloorMs =
            TimeMs([&] { resultSink = ReadAndChecksum(launcherFolder, files); });

        // The warm synchronisation's parts, each on its own: the listing, the attribute reset of
        // every item and the checksum of every payload file through the launcher's stream.
        std::vector<ListedItem> listing;
        const double listMs = TimeMs([&] { listing = ListTree(launcherFolder).items; });
        const double resetMs = TimeMs([&] {
            for (const ListedItem& item : listing) {
                resultSink = ResetAttributes(item.fullPath.native());
            }
        });
        const double streamMs = TimeMs([&] {
            for (const FloorFile& file : files) {
                resultSink =
                    ComputeFileChecksum(JoinPath(launcherFolder, file.relativePath)).value_or(0);
            }
        });

        SpoilFile(JoinPath(launcherFolder, changed.relativePath));
        entries = Parsed(views);
        const double changedMs =
            TimeMs([&] { SynchroniseWorkingDirectory(launcherFolder, entries); });
        const double oneFloorMs =
            TimeMs([&] { resultSink = DecodeAndWrite(floorFolder, {changed}); });

        entries = Parsed(views);
        std::vector<PayloadEntry> copies;
        for (const auto& [key, entry] : entries) {
            copies.push_back(*entry);
        }
        const double decompressMs = TimeMs([&] {
            for (PayloadEntry& copy : copies) {
                resultSink = static_cast<std::uint64_t>(copy.Decompress());
                copy.content = {};
            }
        });
        const double rawMs = TimeMs([&] { resultSink = DecodeOnly(files, decodeBuffer); });
        const double copyAndChecksumsMs =
            TimeMs([&] { resultSink = DecodeWithCopyAndChecksums(files); });

        const double checksumMs =
            TimeMs([&] { resultSink = Crc32c(0, checksumBuffer.data(), checksumBuffer.size()); });
        const double readMs = TimeMs([&] { resultSink = SumWords(checksumBuffer); });

        if (round == 0) {
            continue;  // warms caches and the file system; not counted
        }
        verify.push_back(verifyMs);
        first.push_back(firstMs);
        firstFloor.push_back(firstFloorMs);
        warm.push_back(warmMs);
        warmFloor.push_back(warmFloorMs);
        listings.push_back(listMs);
        resets.push_back(resetMs);
        streams.push_back(streamMs);
        oneChanged.push_back(changedMs);
        oneFloor.push_back(warmFloorMs + oneFloorMs);
        decompress.push_back(decompressMs);
        rawDecode.push_back(rawMs);
        decodeWithChecks.push_back(copyAndChecksumsMs);
        checksum.push_back(checksumMs);
        plainRead.push_back(readMs);
        warmRatio.push_back(warmMs / warmFloorMs);
        firstRatio.push_back(firstMs / firstFloorMs);
        changedRatio.push_back(changedMs / (warmFloorMs + oneFloorMs));
        decompressRatio.push_back(rawMs / decompressMs);
        withChecksRatio.push_back(copyAndChecksumsMs / decompressMs);
        checksumRatio.push_back(readMs / checksumMs);
    }
    RemoveTree(launcherFolder);
    RemoveTree(floorFolder);

    PrintFigure("in process: choose the working folder (once, cold)", {chooseFolderMs}, "ms");
    PrintFigure("in process: verify and parse the payload", verify, "ms");
    PrintFigure("in process: sync, every file right", warm, "ms");
    PrintFigure("in process: floor, read and checksum the same files", warmFloor, "ms");
    PrintRatio("in process: sync every file right / its floor", warmRatio, true, 1.3);
    PrintFigure("in process: of which listing the folder", listings, "ms");
    PrintFigure("in process: of which resetting every item's attributes", resets, "ms");
    PrintFigure("in process: of which checksumming every file through the stream", streams, "ms");
    PrintFigure("in process: sync, empty folder", first, "ms");
    PrintFigure("in process: floor, decode and write, no checks", firstFloor, "ms");
    PrintRatio("in process: sync empty folder / its floor", firstRatio, true, 1.3);
    PrintFigure("in process: sync, one file changed", oneChanged, "ms");
    PrintFigure("in process: floor, warm floor + that file's decode and write", oneFloor, "ms");
    PrintRatio("in process: sync one file changed / its floor", changedRatio, true, 1.3);
    PrintFigure("in process: Decompress, every file", decompress, "ms");
    PrintFigure("in process: raw ZSTD_decompress, same frames", rawDecode, "ms");
    PrintRatio("in process: Decompress speed / raw ZSTD_decompress speed", decompressRatio, false,
               0.85);
    PrintFigure("in process: raw decode + frame copy, both checksums, new buffer per file",
                decodeWithChecks, "ms");
    PrintRatio("in process: Decompress speed / that", withChecksRatio, false, 0);
    PrintFigure("in process: checksum of 16 MiB (this CPU's fastest form)", checksum, "ms");
    PrintFigure("in process: plain read of the same 16 MiB", plainRead, "ms");
    PrintRatio("in process: checksum speed / plain read speed", checksumRatio, false, 0.5);
    return 0;
}
