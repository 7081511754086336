// The checks that check and embed make on a payload, in the launcher's own order and words, and
// the rule on the memory a first start needs.
#include "Packer/cli/PayloadChecks.h"

#include <algorithm>
#include <vector>

#include "Launcher/base/Utf16.h"
#include "Launcher/payload/ManifestRecords.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Launcher/payload/UnsafeRecords.h"
#include "Packer/cli/CodeText.h"
#include "Packer/cli/ExitCodes.h"
#include "Packer/payload/RecordNotes.h"
#include "Packer/pe/PeImage.h"
#include "Packer/pe/PeLayout.h"

namespace {

// Prints the first record path a start refuses, or the first pair Windows takes for one path.
// Returns false when there is one.
bool RecordPathsPass(const std::string& prefix, const PayloadViews& views, std::ostream& err) {
    const std::vector<RecordPath> paths = ReadRecordPaths(views);
    if (const std::vector<UnsafeRecord> unsafe = UnsafeRecords(paths); !unsafe.empty()) {
        const RecordPath& record = unsafe.front().record;
        err << prefix << "record " << record.index << " (" << PrintableUtf8(record.relativePath)
            << "): " << unsafe.front().reason
            << "; a start refuses the payload, changes nothing and shows the write-file-failed "
               "box\n";
        return false;
    }
    if (const std::vector<CaseCollision> twins = CaseCollisions(paths); !twins.empty()) {
        const CaseCollision& twin = twins.front();
        err << prefix << "records " << twin.first.index << " ("
            << PrintableUtf8(twin.first.relativePath) << ") and " << twin.second.index << " ("
            << PrintableUtf8(twin.second.relativePath) << ") differ only in letter case at "
            << PrintableUtf8(twin.firstSpelling) << " and " << PrintableUtf8(twin.secondSpelling)
            << "; Windows takes both for one file or folder\n";
        return false;
    }
    return true;
}

// Prints the warnings and notes of records a start takes but that are worth a word.
void NoteRecords(const std::string& prefix, const PendingEntries& entries, std::ostream& err) {
    for (const PayloadEntry* entry : InIndexOrder(entries)) {
        const std::string shown = "record " + std::to_string(entry->index) + " (" +
                                  PrintableUtf8(entry->relativePath) + ")";
        PrintRecordRemarks(prefix, shown, entry->relativePath, entry->name, err);
    }
}

// Decompresses, in manifest order, the record a start files for each path: the first with it.
// Every record parsed already, so the walk reads them all. Prints the first that fails and
// returns false; sets totals as far as it went.
bool EveryEntryDecompresses(const std::string& prefix, const PayloadViews& views,
                            const PendingEntries& entries, PayloadTotals& totals,
                            std::ostream& err) {
    std::size_t records = 0;
    totals = {entries.size()};
    bool decompressed = true;
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
            decompressed = false;
            return false;
        }
        const auto content = static_cast<std::uint64_t>(record.contentSize);
        const auto compressed = static_cast<std::uint64_t>(record.compressedSize);
        totals.contentBytes += content;
        totals.compressedBytes += compressed;
        totals.largestContent = std::max(totals.largestContent, content);
        totals.largestCompressed = std::max(totals.largestCompressed, compressed);
        return true;
    });
    if (decompressed && records > entries.size()) {
        err << prefix << "warning: " << records - entries.size()
            << " records repeat the path of an earlier record; a start uses the first only\n";
    }
    return decompressed;
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
    if (!RecordPathsPass(prefix, views, err)) {
        return PackExit::Rejected;
    }
    NoteRecords(prefix, entries, err);
    return EveryEntryDecompresses(prefix, views, entries, totals, err) ? PackExit::Ok
                                                                       : PackExit::Rejected;
}

std::optional<LauncherImage> ImageOf32BitLauncher(std::span<const std::uint8_t> exe) {
    PeImage image;
    std::string ignored;
    if (!ReadPeHeaders(exe, image, ignored) || image.pe32Plus) {
        return std::nullopt;
    }
    return LauncherImage{image.sizeOfImage,
                         (image.fileCharacteristics & PeLayout::Coff::LargeAddressAware) != 0};
}

bool WarnAboutStartMemory(std::string_view command, std::uint64_t imageBytes,
                          const PayloadTotals& totals, bool largeAddressAware, std::ostream& err) {
    const std::string problem = StartMemoryProblem(imageBytes, totals, largeAddressAware);
    if (!problem.empty()) {
        err << "nimbrel-pack " << command << ": warning: " << problem
            << "; embed refuses this payload\n";
    }
    return problem.empty();
}
