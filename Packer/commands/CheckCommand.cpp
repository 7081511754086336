// check: the launcher's own checks on its payload, then every entry decompressed, so a payload
// that passes here cannot fail a first start on its resources.
#include "Packer/commands/CheckCommand.h"

#include <algorithm>

#include "Launcher/base/SharedNames.h"
#include "Launcher/base/Utf16.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Packer/cli/ExitCodes.h"
#include "Packer/cli/PayloadChecks.h"
#include "Packer/cli/PayloadCommand.h"
#include "Packer/exe/LauncherTemplate.h"
#include "Packer/pe/PeImage.h"

namespace {

constexpr const char* CheckHelp =
    "usage: nimbrel-pack check EXE\n"
    "       nimbrel-pack check --manifest FILE --blob FILE\n"
    "       nimbrel-pack check --expect-no-payload EXE\n"
    "\n"
    "Makes the checks a launcher makes before it touches the working folder, in its order:\n"
    "loading the resources (stage 1, from an EXE), manifest checksum (2), record count (3),\n"
    "blob checksum (4), every record (5); then decompresses every entry and checks both of its\n"
    "checksums. The first failure is printed as the three-part error code a launcher would\n"
    "show, followed by a short name for the step that failed where the code carries one. A\n"
    "decompression failure is given with stage 7, as on a first start (the file is missing);\n"
    "a start that finds the file with other content would show stage 6 instead. A record whose\n"
    "path a start refuses (an element such as \".\", \"" NIMBREL_SPARED_FILE_NAME
    ".\", a device name or a control\n"
    "character; a folder named " NIMBREL_SPARED_FILE_NAME
    " in any letter case; a file at the path of another\n"
    "record's folder) and two records that differ only in letter case, at any folder level,\n"
    "are failures too; every record is judged, repeats of a path included. A record\n"
    "path longer than 200 UTF-16 code units draws a warning; each " NIMBREL_SPARED_FILE_NAME
    " in any letter case a\n"
    "note (a start writes it only where the user has none).\n"
    "A warning follows when a first start of a 32-bit launcher would need more address space\n"
    "than it has (image, every file decompressed, the largest compressed file and a margin);\n"
    "embed refuses such a payload.\n"
    "\n"
    "With --expect-no-payload, EXE must be a launcher built by this project without a payload,\n"
    "signed or not: the one releases embed into. It exits 0 when it is, 1 otherwise.\n"
    "exit codes: 0 the payload is sound; 1 it is corrupt; 2 bad command line or unreadable file.\n";

// check --expect-no-payload EXE: the launcher releases embed into, as we hand it over, signed
// or not. Says so and returns PackExit::Ok; any other file is refused.
int CheckNoPayload(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    if (const auto done = OpenCommandLine("check", CheckHelp, args, {}, {"--expect-no-payload"},
                                          line, out, err)) {
        return *done;
    }
    if (line.positional.size() != 1) {
        return UsageError("check", "--expect-no-payload takes one launcher EXE", CheckHelp, err);
    }
    std::string error;
    const std::filesystem::path exe = PathFromUtf8(line.positional[0]);
    LoadedPayload payload;
    if (!LoadPayload({exe, {}, {}}, payload, error)) {
        err << "nimbrel-pack check: " << error << "\n";
        return PackExit::Usage;
    }
    const std::string name = PathToUtf8(exe);
    if (payload.loaderCode != PayloadCode::ManifestNotFound) {
        err << "nimbrel-pack check: " << name
            << ": carries a payload (or a damaged one), not the launcher without a payload\n";
        return PackExit::Rejected;
    }
    LauncherTemplate launcher;
    if (!ReadLauncherTemplate(payload.exeBytes, true, launcher, error)) {
        err << "nimbrel-pack check: " << name << ": " << error << "\n";
        return PackExit::Rejected;
    }
    const bool signedFile = launcher.image.directories[PeDirectoryIndex::Certificate].size != 0;
    out << "check: " << name << ": no payload, as expected: a launcher to embed into"
        << (signedFile ? " (signed: give embed --strip-signature)" : "") << "\n";
    return PackExit::Ok;
}

}  // namespace

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (std::find(args.begin(), args.end(), "--expect-no-payload") != args.end()) {
        return CheckNoPayload(args, out, err);
    }
    CommandLine line;
    LoadedPayload payload;
    if (const auto done =
            OpenPayloadCommand("check", CheckHelp, args, 0, line, payload, out, err)) {
        return *done;
    }
    PayloadTotals totals;
    if (const int code = CheckPayload("check", payload.views, totals, err); code != PackExit::Ok) {
        return code;
    }
    if (payload.exeBytes.empty()) {
        WarnAboutStartMemory("check",
                             static_cast<std::uint64_t>(payload.views.manifest.size) +
                                 static_cast<std::uint64_t>(payload.views.blob.size),
                             totals, true, err);
    } else if (const auto image = ImageOf32BitLauncher(payload.exeBytes)) {
        WarnAboutStartMemory("check", image->size, totals, image->largeAddressAware, err);
    }
    out << "check: ok, " << totals.files << " files, " << totals.contentBytes << " bytes ("
        << totals.compressedBytes << " compressed)\n";
    return PackExit::Ok;
}
