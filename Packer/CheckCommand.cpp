// check: the launcher's own checks on its payload, then every entry decompressed, so a payload
// that passes here cannot fail a first start on its resources.
#include "Packer/CheckCommand.h"

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "Launcher/base/PathRules.h"
#include "Launcher/base/SharedNames.h"
#include "Launcher/base/Utf16.h"
#include "Launcher/payload/ManifestRecords.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Packer/CodeText.h"
#include "Packer/LauncherTemplate.h"
#include "Packer/PackTool.h"
#include "Packer/PayloadCommand.h"
#include "Packer/PeImage.h"
#include "Packer/RecordNotes.h"
#include "Packer/StartMemory.h"

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
    std::string error;
    if (!ParseCommandLine(args, {}, {"--expect-no-payload"}, line, error) ||
        (!line.help && line.positional.size() != 1)) {
        err << "nimbrel-pack check: "
            << (error.empty() ? "--expect-no-payload takes one launcher EXE" : error) << "\n\n"
            << CheckHelp;
        return PackExit::Usage;
    }
    if (line.help) {
        out << CheckHelp;
        return PackExit::Ok;
    }
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

int CheckPayload(std::string_view command, const PayloadViews& views, PayloadTotals& totals,
                 std::ostream& err) {
    const std::string prefix = "nimbrel-pack " + std::string(command) + ": ";
    PendingEntries entries;
    if (const auto failure = VerifyAndParsePayload(views, entries)) {
        err << prefix << "corrupt payload; a launcher shows error code "
            << ErrorCodeWithName(*failure) << "\n";
        return PackExit::Rejected;
    }
    const std::vector<RecordPath> paths = ReadRecordPaths(views);
    if (const std::vector<UnsafeRecord> unsafe = UnsafeRecords(paths); !unsafe.empty()) {
        const RecordPath& record = unsafe.front().record;
        err << prefix << "record " << record.index << " (" << PrintableUtf8(record.relativePath)
            << "): " << unsafe.front().reason
            << "; a start refuses the payload, changes nothing and shows the write-file-failed "
               "box\n";
        return PackExit::Rejected;
    }
    if (const std::vector<CaseCollision> twins = CaseCollisions(paths); !twins.empty()) {
        const CaseCollision& twin = twins.front();
        err << prefix << "records " << twin.first.index << " ("
            << PrintableUtf8(twin.first.relativePath) << ") and " << twin.second.index << " ("
            << PrintableUtf8(twin.second.relativePath) << ") differ only in letter case at "
            << PrintableUtf8(twin.firstSpelling) << " and " << PrintableUtf8(twin.secondSpelling)
            << "; Windows takes both for one file or folder\n";
        return PackExit::Rejected;
    }
    const std::vector<const PayloadEntry*> ordered = InIndexOrder(entries);
    for (const PayloadEntry* entry : ordered) {
        const std::string shown = "record " + std::to_string(entry->index) + " (" +
                                  PrintableUtf8(entry->relativePath) + "): ";
        if (const std::string warning = RecordWarning(entry->relativePath); !warning.empty()) {
            err << prefix << "warning: " << shown << warning << "\n";
        }
        if (const std::string_view note = RecordNote(entry->name); !note.empty()) {
            err << prefix << "note: " << shown << note << "\n";
        }
    }
    // In manifest order, decompress the record a start files for each path: the first with it.
    // Every record parsed above, so the walk reads them all.
    std::size_t records = 0;
    std::uint64_t contentBytes = 0;
    std::uint64_t compressedBytes = 0;
    std::uint64_t largestContent = 0;
    std::uint64_t largestCompressed = 0;
    int result = PackExit::Ok;
    ReadManifestRecords(views, [&](PayloadEntry& record) {
        ++records;
        if (entries.at(record.relativePath)->index != record.index) {
            return true;
        }
        const std::int32_t code = record.Decompress();
        if (code != PayloadCode::Ok) {
            err << prefix << "record " << record.index << " (" << Utf16ToUtf8(record.relativePath)
                << ") fails to decompress; a first start shows error code "
                << ErrorCodeWithName(
                       SignedStageError(LaunchStage::DecompressMissing, record.index, -code))
                << "\n";
            result = PackExit::Rejected;
            return false;
        }
        contentBytes += static_cast<std::uint64_t>(record.contentSize);
        compressedBytes += static_cast<std::uint64_t>(record.compressedSize);
        largestContent = std::max(largestContent, static_cast<std::uint64_t>(record.contentSize));
        largestCompressed =
            std::max(largestCompressed, static_cast<std::uint64_t>(record.compressedSize));
        return true;
    });
    if (result != PackExit::Ok) {
        return result;
    }

    if (records > entries.size()) {
        err << prefix << "warning: " << records - entries.size()
            << " records repeat the path of an earlier record; a start uses the first only\n";
    }
    totals = {entries.size(), contentBytes, compressedBytes, largestContent, largestCompressed};
    return PackExit::Ok;
}

bool WarnAboutStartMemory(std::string_view command, std::uint64_t imageBytes,
                          const PayloadTotals& totals, bool largeAddressAware, std::ostream& err) {
    const std::string problem =
        StartMemoryProblem(StartMemoryOf(imageBytes, totals), largeAddressAware);
    if (!problem.empty()) {
        err << "nimbrel-pack " << command << ": warning: " << problem
            << "; embed refuses this payload\n";
    }
    return problem.empty();
}

StartMemory StartMemoryOf(std::uint64_t imageBytes, const PayloadTotals& totals) {
    return {imageBytes, totals.contentBytes, totals.largestContent, totals.largestCompressed};
}

int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (std::find(args.begin(), args.end(), "--expect-no-payload") != args.end()) {
        return CheckNoPayload(args, out, err);
    }
    CommandLine line;
    LoadedPayload payload;
    if (const auto done =
            OpenPayloadCommand("check", CheckHelp, args, 0, true, line, payload, out, err)) {
        return *done;
    }
    PayloadTotals totals;
    if (const int code = CheckPayload("check", payload.views, totals, err); code != PackExit::Ok) {
        return code;
    }
    PeImage image;
    std::string ignored;
    if (payload.exeBytes.empty()) {
        WarnAboutStartMemory("check",
                             static_cast<std::uint64_t>(payload.views.manifest.size) +
                                 static_cast<std::uint64_t>(payload.views.blob.size),
                             totals, true, err);
    } else if (ReadPeHeaders(payload.exeBytes, image, ignored) && !image.pe32Plus) {
        WarnAboutStartMemory("check", image.sizeOfImage, totals,
                             (image.fileCharacteristics & PeLargeAddressAware) != 0, err);
    }
    out << "check: ok, " << totals.files << " files, " << totals.contentBytes << " bytes ("
        << totals.compressedBytes << " compressed)\n";
    return PackExit::Ok;
}
