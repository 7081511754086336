// pack: folder in, two resource files out. Nothing is written unless the whole folder can be
// packed; the outputs appear whole or not at all.
#include "Packer/commands/PackCommand.h"

#include <chrono>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/base/Utf16.h"
#include "Packer/cli/AtomicWrite.h"
#include "Packer/cli/CommandLine.h"
#include "Packer/cli/ExitCodes.h"
#include "Packer/cli/Files.h"
#include "Packer/cli/FolderPacking.h"
#include "Packer/cli/PayloadChecks.h"
#include "Packer/cli/Texts.h"

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
    if (const auto done =
            OpenCommandLine("pack", PackHelp, args, {"--manifest", "--blob", "--level", "--jobs"},
                            {}, line, out, err)) {
        return done;
    }
    if (line.positional.size() != 1 || !line.options.count("--manifest") ||
        !line.options.count("--blob")) {
        return UsageError("pack", "needs one DIR, --manifest FILE and --blob FILE", PackHelp, err);
    }
    options.dir = PathFromUtf8(line.positional[0]);
    options.manifest = PathFromUtf8(line.options.at("--manifest"));
    options.blob = PathFromUtf8(line.options.at("--blob"));
    std::string error;
    if (!ParsePackSettings(line, options.level, options.jobs, error) ||
        !CheckOutputPath(options.manifest, error) || !CheckOutputPath(options.blob, error)) {
        return UsageError("pack", error, PackHelp, err);
    }
    if (SameFile(options.manifest, options.blob)) {
        err << "nimbrel-pack pack: --manifest and --blob name the same file\n";
        return PackExit::Usage;
    }
    if (!RequireFolder("pack", options.dir, err)) {
        return PackExit::Usage;
    }
    return std::nullopt;
}

}  // namespace

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
        return NothingWritten("pack", error, PackExit::Usage, err);
    }
    PrintPackSummary("pack", packed, options.level, options.jobs, started, err);
    WarnAboutStartMemory("pack",
                         packed.payload.manifest.size() + std::uint64_t{packed.payload.blob.size()},
                         packed.totals, true, err);
    return PackExit::Ok;
}
