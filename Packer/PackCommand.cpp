// pack: folder in, two resource files out. Nothing is written unless the whole folder can be
// packed; the outputs appear whole or not at all.
#include "Packer/PackCommand.h"

#include <zstd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <system_error>
#include <thread>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/base/Utf16.h"
#include "Packer/AtomicWrite.h"
#include "Packer/CheckCommand.h"
#include "Packer/CommandLine.h"
#include "Packer/Compressor.h"
#include "Packer/FolderScan.h"
#include "Packer/PackTool.h"
#include "Packer/PayloadBuilder.h"
#include "Packer/RecordNotes.h"

namespace {

constexpr const char* PackHelp =
    "usage: nimbrel-pack pack DIR --manifest FILE --blob FILE [--level N] [--jobs N]\n"
    "\n"
    "Packs every file below DIR into a payload: records sorted by relative path, each file one\n"
    "zstd frame (single segment, content size in the header, no checksum, no dictionary id),\n"
    "frames back to back in record order. The same files give the same bytes whatever their\n"
    "timestamps or listing order. Each output is written to a new file of its own beside it\n"
    "(FILE.<random>.partial, made only where no file of that name stands, never through a link),\n"
    "renamed into place once both are complete and removed on any failure.\n"
    "\n"
    "Refused, naming the item, with nothing written: symbolic links and junctions, special\n"
    "files (FIFOs, sockets, devices), files of 2 GiB or more, names that cannot be a Windows\n"
    "file name (separators, drive colons, \"..\", device names such as CON, COM0, COM1 or\n"
    "CONOUT$, superscript digits included, a trailing dot or space, more than 255 UTF-16 code\n"
    "units, names that are not UTF-8), a folder named " NIMBREL_SPARED_FILE_NAME
    " in any letter case, paths that\n"
    "differ only in letter case at any level (a file beside a folder of its name too), and a\n"
    "folder without files. Names compare as Windows compares them, whatever this host does.\n"
    "Folders more than two levels deep, empty folders and paths longer than 200 UTF-16 code\n"
    "units only draw a warning. Each " NIMBREL_SPARED_FILE_NAME
    " in any letter case draws a note: a start writes it\n"
    "only where the user has none. A warning follows when a first start of the 32-bit launcher\n"
    "would need more address space than it has (see embed --help); embed refuses such a payload.\n"
    "\n"
    "  --manifest FILE  where to write the manifest resource (RT_RCDATA " NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_MANIFEST_ID) ")\n"
    "  --blob FILE      where to write the blob resource (RT_RCDATA " NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_BLOB_ID) ")\n"
    "  --level N        zstd level, 1 to 22 (default 19)\n"
    "  --jobs N         files compressed at once (default: the number of hardware threads)\n"
    "\n"
    "Progress goes to stderr, one line per file, then the totals.\n"
    "exit codes: 0 packed; 1 refused; 2 bad command line or an output that cannot be written.\n";

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

// Gives path in the form that two spellings of one file share: canonical where the file system
// can tell, else absolute and lexically normal, else lexically normal as written. Never empty
// for a path that is not, so two paths that cannot be resolved are not taken for one.
std::filesystem::path ComparablePath(const std::filesystem::path& path) {
    std::error_code error;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, error);
    if (!error) {
        return canonical;
    }
    const std::filesystem::path absolute = std::filesystem::absolute(path, error);
    return (error ? path : absolute).lexically_normal();
}

bool SamePath(const std::filesystem::path& a, const std::filesystem::path& b) {
    return ComparablePath(a) == ComparablePath(b);
}

// What the command line asks of a pack.
struct PackOptions {
    std::filesystem::path dir;
    std::filesystem::path manifest;
    std::filesystem::path blob;
    long level = DefaultPackLevel;
    long jobs = 1;
};

// Reads args into options and checks that DIR is a folder. Returns nothing when the pack goes
// on, or the exit code to end with (after help, or a bad command line).
std::optional<int> ParsePackOptions(const std::vector<std::string>& args, PackOptions& options,
                                    std::ostream& out, std::ostream& err) {
    CommandLine line;
    std::string error;
    if (!ParseCommandLine(args, {"--manifest", "--blob", "--level", "--jobs"}, line, error)) {
        err << "nimbrel-pack pack: " << error << "\n\n" << PackHelp;
        return PackExit::Usage;
    }
    if (line.help) {
        out << PackHelp;
        return PackExit::Ok;
    }
    const unsigned hardware = std::thread::hardware_concurrency();
    options.jobs = hardware == 0 ? 1 : hardware;
    if (line.positional.size() != 1 || !line.options.count("--manifest") ||
        !line.options.count("--blob")) {
        err << "nimbrel-pack pack: needs one DIR, --manifest FILE and --blob FILE\n\n" << PackHelp;
        return PackExit::Usage;
    }
    if (!ParseNumberOption(line, "--level", 1, ZSTD_maxCLevel(), options.level, error) ||
        !ParseNumberOption(line, "--jobs", 1, 256, options.jobs, error)) {
        err << "nimbrel-pack pack: " << error << "\n";
        return PackExit::Usage;
    }
    options.dir = PathFromUtf8(line.positional[0]);
    options.manifest = PathFromUtf8(line.options.at("--manifest"));
    options.blob = PathFromUtf8(line.options.at("--blob"));
    if (!CheckOutputPath(options.manifest, error) || !CheckOutputPath(options.blob, error)) {
        err << "nimbrel-pack pack: " << error << "\n";
        return PackExit::Usage;
    }
    if (SamePath(options.manifest, options.blob)) {
        err << "nimbrel-pack pack: --manifest and --blob name the same file\n";
        return PackExit::Usage;
    }
    std::error_code missing;
    if (!std::filesystem::is_directory(options.dir, missing)) {
        err << "nimbrel-pack pack: " << PathToUtf8(options.dir) << ": is not a folder\n";
        return PackExit::Usage;
    }
    return std::nullopt;
}

// Prints the scan's warnings and, when the folder is refused, its problems. Returns false when
// the folder cannot be packed.
bool ReportScan(std::string_view command, const FolderScan& scan, std::ostream& err) {
    for (const auto& warning : scan.warnings) {
        err << "nimbrel-pack " << command << ": warning: " << warning << "\n";
    }
    for (const auto& file : scan.files) {
        if (const std::string warning = RecordWarning(file.relativePath); !warning.empty()) {
            err << "nimbrel-pack " << command << ": warning: " << PathToUtf8(file.path) << ": "
                << warning << "\n";
        }
        if (const std::string_view note = RecordNote(file.name); !note.empty()) {
            err << "nimbrel-pack " << command << ": note: " << PathToUtf8(file.path) << ": " << note
                << "\n";
        }
    }
    if (scan.problems.empty()) {
        return true;
    }
    for (const auto& problem : scan.problems) {
        err << "nimbrel-pack " << command << ": refused: " << problem << "\n";
    }
    err << "nimbrel-pack " << command << ": nothing written\n";
    return false;
}

}  // namespace

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
        packed.largestFrame = 0;
        for (std::size_t i = 0; i < total; ++i) {
            packed.largestFrame =
                std::max<std::uint64_t>(packed.largestFrame, files[i].frame.size());
            records.push_back({scan.files[i].folder, scan.files[i].name, std::move(files[i])});
        }
        if (BuildPayload(std::move(records), packed.payload, error)) {
            return PackExit::Ok;
        }
    }
    err << "nimbrel-pack " << command << ": " << error << "\nnimbrel-pack " << command
        << ": nothing written\n";
    return PackExit::Usage;
}

PayloadTotals PackTotals(const PackedFolder& packed) {
    std::uint64_t content = 0;
    std::uint64_t largest = 0;
    for (const auto& file : packed.scan.files) {
        content += file.size;
        largest = std::max<std::uint64_t>(largest, file.size);
    }
    return {packed.scan.files.size(), content, packed.payload.blob.size(), largest,
            packed.largestFrame};
}

void PrintPackSummary(std::string_view command, const PackedFolder& packed, long level, long jobs,
                      double seconds, std::ostream& err) {
    std::uint64_t bytesIn = 0;
    for (const auto& file : packed.scan.files) {
        bytesIn += file.size;
    }
    const PayloadBytes& payload = packed.payload;
    const std::uint64_t bytesOut = payload.manifest.size() + payload.blob.size();
    char summary[256];
    std::snprintf(
        summary, sizeof summary,
        "%zu files, %llu bytes in (%s), %llu bytes out (manifest %zu, blob %zu; %s), "
        "ratio %.3f, level %ld, %ld jobs, %.2f s",
        packed.scan.files.size(), static_cast<unsigned long long>(bytesIn),
        Megabytes(bytesIn).c_str(), static_cast<unsigned long long>(bytesOut),
        payload.manifest.size(), payload.blob.size(), Megabytes(bytesOut).c_str(),
        bytesOut == 0 ? 0.0 : static_cast<double>(bytesIn) / static_cast<double>(bytesOut), level,
        jobs, seconds);
    err << "nimbrel-pack " << command << ": " << summary << "\n";
}

int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    PackOptions options;
    if (const auto done = ParsePackOptions(args, options, out, err)) {
        return *done;
    }
    const auto started = std::chrono::steady_clock::now();
    PackedFolder packed;
    if (const int code = PackFolder("pack", options.dir, options.level, options.jobs, packed, err);
        code != PackExit::Ok) {
        return code;
    }
    std::string error;
    OutputLock lock;
    if (!WriteFilesAtomically(
            {{options.manifest, &packed.payload.manifest}, {options.blob, &packed.payload.blob}},
            lock, error)) {
        err << "nimbrel-pack pack: " << error << "\nnimbrel-pack pack: nothing written\n";
        return PackExit::Usage;
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    PrintPackSummary("pack", packed, options.level, options.jobs, seconds, err);
    WarnAboutStartMemory("pack",
                         packed.payload.manifest.size() + std::uint64_t{packed.payload.blob.size()},
                         PackTotals(packed), true, err);
    return PackExit::Ok;
}
