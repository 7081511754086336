// diff: a dry run of a start's synchronisation against a folder. The payload is verified first,
// as a start would, because a start with a corrupt payload changes nothing.
#include "Packer/commands/DiffCommand.h"

#include <map>
#include <string_view>

#include "Launcher/base/SharedNames.h"
#include "Launcher/base/Utf16.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Packer/cli/CodeText.h"
#include "Packer/cli/ExitCodes.h"
#include "Packer/cli/PayloadCommand.h"
#include "Packer/payload/WorkFolderDiff.h"

namespace {

constexpr const char* DiffHelp =
    "usage: nimbrel-pack diff EXE DIR\n"
    "       nimbrel-pack diff --manifest FILE --blob FILE DIR\n"
    "\n"
    "Says what a start would do to the working folder DIR, changing nothing. DIR is listed\n"
    "recursively (links are not followed into) and each file gets one line:\n"
    "  keep     its CRC-32C (read in 65,536-byte pieces) matches its record\n"
    "  rewrite  it differs from its record, or cannot be read whole, and would be written\n"
    "           again\n"
    "  delete   no record has its path: a stray, removed; or a file inside a directory that a\n"
    "           record's file replaces, " NIMBREL_SPARED_FILE_NAME
    " included\n"
    "  spare    it is named \"" NIMBREL_SPARED_FILE_NAME
    "\" in any letter case (any folder) and stays;\n"
    "           a record of that name is a default, written only where the user has none\n"
    "  write    a record whose file is missing would be written (a directory standing in its\n"
    "           place would be removed first, with everything in it)\n"
    "Paths compare element by element, ignoring letter case as Windows does, with / and \\\n"
    "alike, as a start compares them, on any host. Directories are never deleted but where a\n"
    "record's file replaces one, nor is an item whose type cannot be read (it gets no line).\n"
    "Items come in the launcher's listing order: the enumeration's order on Windows, name\n"
    "order on other hosts.\n"
    "exit codes: 0 reported; 1 the payload is corrupt (a start would stop before DIR);\n"
    "2 bad command line or unreadable file.\n";

}  // namespace

int RunDiff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    LoadedPayload payload;
    if (const auto done = OpenPayloadCommand("diff", DiffHelp, args, 1, line, payload, out, err)) {
        return *done;
    }
    PendingEntries entries;
    if (const auto failure = VerifyAndParsePayload(payload.views, entries)) {
        err << "nimbrel-pack diff: corrupt payload; a start stops with error code "
            << ErrorCodeWithName(*failure) << " and changes nothing\n";
        return PackExit::Rejected;
    }

    const FolderDiff diff = DiffWorkingFolder(PathFromUtf8(line.positional.back()),
                                              ReadRecordPaths(payload.views), entries);
    std::map<std::string_view, std::size_t> counts;
    for (const auto& row : diff.rows) {
        ++counts[row.action];
        out << row.action << std::string(9 - row.action.size(), ' ')
            << Utf16ToUtf8(row.relativePath);
        if (row.replacesFolder) {
            out << "  (after removing the directory standing in its place)";
        }
        if (row.insideReplacedFolder) {
            out << "  (inside a directory that a payload file replaces)";
        }
        out << "\n";
    }
    for (const auto& note : diff.notes) {
        err << "nimbrel-pack diff: note: " << note << "\n";
    }
    out << "diff: " << counts["keep"] << " keep, " << counts["rewrite"] << " rewrite, "
        << counts["delete"] << " delete, " << counts["spare"] << " spare, " << counts["write"]
        << " write\n";
    return PackExit::Ok;
}
