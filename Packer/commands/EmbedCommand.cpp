// embed: a built launcher and a payload in, a release launcher out. Everything is read and
// checked before anything is written: the launcher as a template, the icon, the payload (packed
// as pack packs it, or read from pack's two files, then checked as check checks it). The output
// appears whole under its name or not at all, and the launcher read is never written.
#include "Packer/commands/EmbedCommand.h"

#include <chrono>
#include <cstdio>
#include <optional>
#include <system_error>
#include <utility>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/base/Utf16.h"
#include "Packer/cli/AtomicWrite.h"
#include "Packer/cli/CommandLine.h"
#include "Packer/cli/ExitCodes.h"
#include "Packer/cli/Files.h"
#include "Packer/cli/FolderPacking.h"
#include "Packer/cli/PayloadChecks.h"
#include "Packer/cli/PayloadCommand.h"
#include "Packer/cli/Texts.h"
#include "Packer/exe/LauncherTemplate.h"
#include "Packer/payload/PayloadInput.h"
#include "Packer/payload/StartMemory.h"
#include "Packer/pe/ByteRuns.h"

namespace {

constexpr const char* EmbedHelp =
    "usage: nimbrel-pack embed LAUNCHER.exe DIR -o OUT.exe [OPTIONS]\n"
    "       nimbrel-pack embed LAUNCHER.exe --manifest FILE --blob FILE -o OUT.exe [OPTIONS]\n"
    "\n"
    "Writes OUT.exe: the built launcher LAUNCHER.exe carrying a new payload, packed from DIR\n"
    "exactly as pack packs it, or taken from the two files pack wrote. The payload replaces the\n"
    "launcher's RT_RCDATA resources " NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_MANIFEST_ID) " (manifest) and "
    NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_BLOB_ID) " (blob), language "
    NIMBREL_ID_TEXT(NIMBREL_RESOURCE_LANGUAGE) "; every other\n"
    "resource stays byte for byte unless an option below changes it. The payload is checked as\n"
    "check checks it before anything is written, and refused in the same words.\n"
    "\n"
    "The resource section is rebuilt from its resources in one fixed layout; the sections after\n"
    "it move, and the headers and PE checksum are set to match. The same inputs give the same\n"
    "bytes on every machine. OUT.exe is written to a new file of its own beside it\n"
    "(OUT.exe.<random>.partial, made only where no file of that name stands, never through a\n"
    "link), renamed over OUT.exe at the end and removed on any failure; no other file is\n"
    "written. OUT.exe may not name LAUNCHER.exe, which is never changed, nor a folder; its folder\n"
    "is made if need be. OUT.exe is not signed: sign it afterwards.\n"
    "\n"
    "A first start of a 32-bit launcher holds its image, every file decompressed and the largest\n"
    "compressed file at once; with a margin of 100 MB that must fit the launcher's address\n"
    "space: 3600 MB when it is large-address-aware, else 1650 MB, and its three largest blocks\n"
    "must fit the free blocks of 1900, 1000 and 550 MB. A payload above that is refused.\n"
    "\n"
    "  -o, --output OUT.exe       where to write the launcher\n"
    "  --file-version A.B.C.D     set the version block's file version and its FileVersion\n"
    "                             string\n"
    "  --product-version A.B.C.D  set its product version and its ProductVersion string\n"
    "  --icon FILE.ico            replace icon group " NIMBREL_ID_TEXT(NIMBREL_ICON_GROUP_ID)
    " and its images with the icon file's\n"
    "  --level N, --jobs N        as for pack, when DIR is packed\n"
    "  --strip-signature          accept a signed LAUNCHER.exe; its signature is left out\n"
    "\n"
    "Refused, with nothing written: a LAUNCHER.exe that is signed (without --strip-signature),\n"
    "cut short, not a PE image or not a launcher built by this project, whose resource tree\n"
    "does not parse, that carries bytes after its last section, or whose sections after the\n"
    "resources are referred to other than by the data directories; a folder pack refuses; a\n"
    "payload check refuses; a payload above the size rule.\n"
    "exit codes: 0 written; 1 refused; 2 bad command line, or a file that cannot be read or\n"
    "written.\n";

struct EmbedOptions {
    std::filesystem::path launcher;
    std::filesystem::path dir;  // empty when the payload files are given
    std::filesystem::path output;
    std::filesystem::path icon;
    std::optional<VersionNumber> fileVersion;
    std::optional<VersionNumber> productVersion;
    long level = DefaultPackLevel;
    long jobs = 1;
    bool stripSignature = false;
};

int Usage(std::string_view error, std::ostream& err) {
    return UsageError("embed", error, EmbedHelp, err);
}

bool ParseVersionOption(const CommandLine& line, const char* name,
                        std::optional<VersionNumber>& version, std::string& error) {
    const auto found = line.options.find(name);
    if (found == line.options.end()) {
        return true;
    }
    version = ParseVersionNumber(found->second);
    if (!version) {
        error = std::string("option ") + name + " needs four numbers from 0 to 65535 as A.B.C.D, " +
                "not \"" + found->second + "\"";
    }
    return version.has_value();
}

// Reads args into options. Returns nothing when the embed goes on, or the exit code to end with.
std::optional<int> ParseEmbedOptions(const std::vector<std::string>& args, CommandLine& line,
                                     EmbedOptions& options, std::ostream& out, std::ostream& err) {
    if (const auto done =
            OpenCommandLine("embed", EmbedHelp, args,
                            {"-o", "--output", "--manifest", "--blob", "--level", "--jobs",
                             "--file-version", "--product-version", "--icon"},
                            {"--strip-signature"}, line, out, err)) {
        return done;
    }
    const bool files = line.options.count("--manifest") || line.options.count("--blob");
    const auto output =
        line.options.count("-o") ? line.options.find("-o") : line.options.find("--output");
    if (line.positional.size() != (files ? 1u : 2u) || output == line.options.end() ||
        (line.options.count("-o") && line.options.count("--output"))) {
        return Usage("needs LAUNCHER.exe, then DIR or --manifest FILE --blob FILE, and -o OUT.exe",
                     err);
    }
    if (files && (line.options.count("--level") || line.options.count("--jobs"))) {
        return Usage("--level and --jobs apply to packing a DIR only", err);
    }
    options.launcher = PathFromUtf8(line.positional[0]);
    options.output = PathFromUtf8(output->second);
    std::string error;
    if (!ParsePackSettings(line, options.level, options.jobs, error) ||
        !ParseVersionOption(line, "--file-version", options.fileVersion, error) ||
        !ParseVersionOption(line, "--product-version", options.productVersion, error) ||
        !CheckOutputPath(options.output, error)) {
        return Usage(error, err);
    }
    options.stripSignature = line.flags.count("--strip-signature") != 0;
    if (!files) {
        options.dir = PathFromUtf8(line.positional[1]);
    }
    if (const auto icon = line.options.find("--icon"); icon != line.options.end()) {
        options.icon = PathFromUtf8(icon->second);
    }
    if (SameFile(options.launcher, options.output)) {
        err << "nimbrel-pack embed: -o names the launcher being read; the launcher you embed "
               "into stays as it is, so write the output to another file\n";
        return PackExit::Usage;
    }
    return std::nullopt;
}

// Gives the payload of the command line: DIR packed, or the two files read; either checked.
// Returns PackExit::Ok with payload and totals set, or the exit code to end with.
int ObtainPayload(const CommandLine& line, const EmbedOptions& options, PayloadBytes& payload,
                  PayloadTotals& totals, std::ostream& err) {
    if (!options.dir.empty()) {
        if (!RequireFolder("embed", options.dir, err)) {
            return PackExit::Usage;
        }
        const auto started = std::chrono::steady_clock::now();
        PackedFolder packed;
        if (const int code =
                PackFolder("embed", options.dir, options.level, options.jobs, packed, err);
            code != PackExit::Ok) {
            return code;
        }
        PrintPackSummary("embed", packed, options.level, options.jobs, started, err);
        payload = std::move(packed.payload);
    } else {
        LoadedPayload loaded;
        std::size_t used = 0;
        if (const int code = LoadCommandPayload("embed", line, loaded, used, err);
            code != PackExit::Ok) {
            return NothingWritten("embed", "", code, err);
        }
        payload.manifest = std::move(loaded.manifestBytes);
        payload.blob = std::move(loaded.blobBytes);
    }
    const int code = CheckPayload("embed", ViewsOf(payload.manifest, payload.blob), totals, err);
    return code == PackExit::Ok ? code : NothingWritten("embed", "", code, err);
}

// Writes output to a temporary file beside path, releases output and the resources it views,
// reads the file back and checks it, then takes lock of path's folder and renames the file over
// path; the caller holds lock until it has reported. The output's folder is made only now, once
// everything has been checked, as a release script expects. Returns PackExit::Ok, or the exit
// code to end with once it has said that nothing was written.
int WriteOutput(const std::filesystem::path& path, ByteRuns& output, ResourceTree& resources,
                OutputLock& lock, std::ostream& err) {
    const ResourceDigests digests = DigestResources(resources);
    std::string error;
    std::error_code folder;
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path(), folder);
    }
    if (folder) {
        error = PathToUtf8(path.parent_path()) + ": the folder cannot be made: " + folder.message();
    }
    TemporaryOutput temporary;
    bool written = !folder && CreateTemporaryOutput(path, temporary, error);
    for (std::size_t i = 0; written && i < output.runs.size(); ++i) {
        written = WriteTemporaryOutput(temporary, output.runs[i], error);
    }
    output = ByteRuns{};
    resources.clear();
    std::vector<std::uint8_t> readBack;
    if (written && !ReadFileBytes(temporary.path, readBack, error)) {
        written = false;
    } else if (written && !CheckRebuiltLauncher(readBack, digests, error)) {
        return NothingWritten("embed", PathToUtf8(path) + ": " + error, PackExit::Rejected, err);
    }
    if (!written || !LockOutputFolders({path}, lock, error) ||
        !PutTemporaryOutputInPlace(temporary, error)) {
        return NothingWritten("embed", error, PackExit::Usage, err);
    }
    return PackExit::Ok;
}

// Reads the launcher and the icon file the command line names. Returns PackExit::Ok, or the exit
// code to end with once it has said why.
int ReadInputs(const EmbedOptions& options, std::vector<std::uint8_t>& launcherFile,
               LauncherTemplate& launcher, std::vector<IconImage>& icon, std::ostream& err) {
    std::string error;
    std::vector<std::uint8_t> iconFile;
    if (!ReadFileBytes(options.launcher, launcherFile, error) ||
        (!options.icon.empty() && !ReadFileBytes(options.icon, iconFile, error))) {
        err << "nimbrel-pack embed: " << error << "\n";
        return PackExit::Usage;
    }
    if (!ReadLauncherTemplate(launcherFile, options.stripSignature, launcher, error)) {
        return NothingWritten("embed", PathToUtf8(options.launcher) + ": " + error,
                              PackExit::Rejected, err);
    }
    if (!options.icon.empty() && !ReadIconFile(iconFile, icon, error)) {
        return NothingWritten("embed", PathToUtf8(options.icon) + ": " + error, PackExit::Rejected,
                              err);
    }
    return PackExit::Ok;
}

}  // namespace

int RunEmbed(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    EmbedOptions options;
    if (const auto done = ParseEmbedOptions(args, line, options, out, err)) {
        return *done;
    }
    const auto started = std::chrono::steady_clock::now();
    std::string error;
    std::vector<std::uint8_t> launcherFile;
    LauncherTemplate launcher;
    std::vector<IconImage> icon;
    if (const int code = ReadInputs(options, launcherFile, launcher, icon, err);
        code != PackExit::Ok) {
        return code;
    }

    PayloadBytes payload;
    PayloadTotals totals;
    if (const int code = ObtainPayload(line, options, payload, totals, err); code != PackExit::Ok) {
        return code;
    }
    EmbedChanges changes{std::move(payload.manifest), std::move(payload.blob), options.fileVersion,
                         options.productVersion, options.icon.empty() ? nullptr : &icon};
    ResourceTree resources;
    ByteRuns output;
    if (!ChangedResources(launcher, std::move(changes), resources, error) ||
        !RebuildLauncher(launcherFile, launcher, resources, output, error)) {
        return NothingWritten("embed", PathToUtf8(options.launcher) + ": " + error,
                              PackExit::Rejected, err);
    }
    const auto image = ImageOf32BitLauncher(output.runs.front());
    if (const std::string problem =
            image ? StartMemoryProblem(image->size, totals, image->largeAddressAware) : "";
        !problem.empty()) {
        return NothingWritten("embed", "refused: " + problem, PackExit::Rejected, err);
    }
    const std::uint64_t outputSize = RunsSize(output);
    launcher.resources.clear();
    OutputLock lock;
    if (const int code = WriteOutput(options.output, output, resources, lock, err);
        code != PackExit::Ok) {
        return code;
    }
    char timing[32];
    std::snprintf(timing, sizeof timing, "%.2f s", SecondsSince(started));
    out << "embed: " << PathToUtf8(options.output) << ": " << outputSize << " bytes ("
        << Megabytes(outputSize, 2) << ", launcher " << launcherFile.size() << "), payload of "
        << totals.files << " files, " << totals.contentBytes << " bytes (" << totals.compressedBytes
        << " compressed), " << timing << "\n";
    return PackExit::Ok;
}
