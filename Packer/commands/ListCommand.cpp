// list: one row per manifest record, in manifest order, duplicates included. The records are
// read with the launcher's own parser; checksum mismatches are warned about but do not stop the
// listing, so that a damaged payload can still be looked at.
#include "Packer/commands/ListCommand.h"

#include <algorithm>
#include <cstdio>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/base/Utf16.h"
#include "Launcher/payload/LittleEndian.h"
#include "Launcher/payload/ManifestRecords.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Launcher/payload/PayloadFormat.h"
#include "Launcher/payload/PayloadVerify.h"
#include "Packer/cli/CodeText.h"
#include "Packer/cli/ExitCodes.h"
#include "Packer/cli/PayloadCommand.h"

namespace {

constexpr const char* ListHelp =
    "usage: nimbrel-pack list EXE\n"
    "       nimbrel-pack list --manifest FILE --blob FILE\n"
    "\n"
    "Prints one row per manifest record: index, relative path, size, compressed size, content\n"
    "CRC-32C and compressed CRC-32C. A launcher's resources are read from its PE file (RT_RCDATA\n"
    NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_MANIFEST_ID) " and " NIMBREL_ID_TEXT(
        NIMBREL_PAYLOAD_BLOB_ID) ", language " NIMBREL_ID_TEXT(NIMBREL_RESOURCE_LANGUAGE) "), so "
    "any machine can list one.\n"
    "A checksum that does not match is reported as a warning; a record that cannot be parsed\n"
    "ends the listing with the error code a launcher would show.\n"
    "exit codes: 0 listed; 1 the payload cannot be read as records; 2 bad command line or\n"
    "unreadable file.\n";

void WarnOnChecksum(const char* what, const ByteView& view, std::ostream& err) {
    const std::uint32_t computed = ChecksumAfterHeader(view);
    const std::uint32_t stored = ReadUint32Le(view.data);
    if (computed != stored) {
        err << "nimbrel-pack list: warning: the " << what << " checksum is " << Hex32(computed)
            << " but " << Hex32(stored) << " is stored\n";
    }
}

}  // namespace

int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    CommandLine line;
    LoadedPayload payload;
    if (const auto done = OpenPayloadCommand("list", ListHelp, args, 0, line, payload, out, err)) {
        return *done;
    }
    const PayloadViews& views = payload.views;
    WarnOnChecksum("manifest", views.manifest, err);
    WarnOnChecksum("blob", views.blob, err);
    const auto count = ReadInt32Le(views.manifest.data + PayloadFormat::CountOffset);
    if (count <= 0) {
        err << "nimbrel-pack list: the record count is " << count
            << "; a launcher shows error code "
            << ErrorCodeWithName(SignedStageError(LaunchStage::RecordCount, count, 0)) << "\n";
        return PackExit::Rejected;
    }

    std::vector<PayloadEntry> entries;
    int result = PackExit::Ok;
    const auto fault = ReadManifestRecords(views, [&entries](PayloadEntry& record) {
        entries.push_back(std::move(record));
        return true;
    });
    if (fault) {
        err << "nimbrel-pack list: record " << fault->index
            << " cannot be parsed; a launcher shows error code "
            << ErrorCodeWithName(
                   SignedStageError(LaunchStage::ParseRecord, fault->index, -fault->code))
            << "\n";
        result = PackExit::Rejected;
    }

    std::size_t width = 4;
    for (const auto& entry : entries) {
        width = std::max(width, Utf16ToUtf8(entry.relativePath).size());
    }
    auto padded = [width](const std::string& text) {
        return text + std::string(width - std::min(width, text.size()), ' ');
    };
    char row[96];
    std::snprintf(row, sizeof row, "%5s  ", "index");
    out << row << padded("path");
    std::snprintf(row, sizeof row, "  %10s  %10s  %-10s  %s\n", "size", "compressed", "crc",
                  "packed crc");
    out << row;
    for (const auto& entry : entries) {
        std::snprintf(row, sizeof row, "%5d  ", static_cast<int>(entry.index));
        out << row << padded(Utf16ToUtf8(entry.relativePath));
        std::snprintf(row, sizeof row, "  %10d  %10d  %s  %s\n",
                      static_cast<int>(entry.contentSize), static_cast<int>(entry.compressedSize),
                      Hex32(entry.contentCrc).c_str(), Hex32(entry.compressedCrc).c_str());
        out << row;
    }
    return result;
}
