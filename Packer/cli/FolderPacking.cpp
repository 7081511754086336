// Scanning and packing a folder, for pack and embed: nothing is packed unless the whole folder
// can be, and every problem is shown at once.
#include "Packer/cli/FolderPacking.h"

#include <zstd.h>

#include <algorithm>
#include <cstdio>
#include <thread>

#include "Launcher/base/Utf16.h"
#include "Packer/cli/ExitCodes.h"
#include "Packer/cli/Texts.h"
#include "Packer/payload/RecordNotes.h"

namespace {

// Prints the scan's warnings and, when the folder is refused, its problems. Returns false when
// the folder cannot be packed.
bool ReportScan(std::string_view command, const FolderScan& scan, std::ostream& err) {
    for (const auto& warning : scan.warnings) {
        err << "nimbrel-pack " << command << ": warning: " << warning << "\n";
    }
    const std::string prefix = "nimbrel-pack " + std::string(command) + ": ";
    for (const auto& file : scan.files) {
        PrintRecordRemarks(prefix, PathToUtf8(file.path), file.relativePath, file.name, err);
    }
    if (scan.problems.empty()) {
        return true;
    }
    for (const auto& problem : scan.problems) {
        err << "nimbrel-pack " << command << ": refused: " << problem << "\n";
    }
    NothingWritten(command, "", PackExit::Rejected, err);
    return false;
}

}  // namespace

bool ParsePackSettings(const CommandLine& line, long& level, long& jobs, std::string& error) {
    const unsigned hardware = std::thread::hardware_concurrency();
    jobs = hardware == 0 ? 1 : static_cast<long>(hardware);
    return ParseNumberOption(line, "--level", 1, ZSTD_maxCLevel(), level, error) &&
           ParseNumberOption(line, "--jobs", 1, 256, jobs, error);
}

int PackFolder(std::string_view command, const std::filesystem::path& dir, long level, long jobs,
               PackedFolder& packed, std::ostream& err) {
    packed.scan = ScanPackFolder(dir);
    const FolderScan& scan = packed.scan;
    if (!ReportScan(command, scan, err)) {
        return PackExit::Rejected;
    }
    const std::size_t total = scan.files.size();
    std::size_t done = 0;
    const PackProgress progress = [&](std::size_t index, const PackedFile& file) {
        err << "[" << ++done << "/" << total << "] " << Utf16ToUtf8(scan.files[index].relativePath)
            << "  " << file.contentSize << " -> " << file.frame.size() << " bytes\n";
    };
    std::string error;
    std::vector<PackedFile> files;
    std::vector<PayloadRecord> records;
    if (CompressFiles(scan.files, static_cast<int>(level), static_cast<unsigned>(jobs), progress,
                      files, error)) {
        records.reserve(total);
        PayloadTotals& totals = packed.totals;
        totals = {total};
        for (std::size_t i = 0; i < total; ++i) {
            totals.contentBytes += scan.files[i].size;
            totals.compressedBytes += files[i].frame.size();
            totals.largestContent = std::max(totals.largestContent, scan.files[i].size);
            totals.largestCompressed =
                std::max<std::uint64_t>(totals.largestCompressed, files[i].frame.size());
            records.push_back({scan.files[i].folder, scan.files[i].name, std::move(files[i])});
        }
        if (BuildPayload(std::move(records), packed.payload, error)) {
            return PackExit::Ok;
        }
    }
    return NothingWritten(command, error, PackExit::Usage, err);
}

void PrintPackSummary(std::string_view command, const PackedFolder& packed, long level, long jobs,
                      std::chrono::steady_clock::time_point started, std::ostream& err) {
    const std::uint64_t bytesIn = packed.totals.contentBytes;
    const PayloadBytes& payload = packed.payload;
    const std::uint64_t bytesOut = payload.manifest.size() + payload.blob.size();
    char summary[256];
    std::snprintf(
        summary, sizeof summary,
        "%zu files, %llu bytes in (%s), %llu bytes out (manifest %zu, blob %zu; %s), "
        "ratio %.3f, level %ld, %ld jobs, %.2f s",
        packed.totals.files, static_cast<unsigned long long>(bytesIn),
        Megabytes(bytesIn, 2).c_str(), static_cast<unsigned long long>(bytesOut),
        payload.manifest.size(), payload.blob.size(), Megabytes(bytesOut, 2).c_str(),
        bytesOut == 0 ? 0.0 : static_cast<double>(bytesIn) / static_cast<double>(bytesOut), level,
        jobs, SecondsSince(started));
    err << "nimbrel-pack " << command << ": " << summary << "\n";
}
