// One file of the embedded payload: where its compressed bytes lie in the blob, what they must
// check to, where the file belongs, and once decompressed its bytes. Portable code: it reports
// through its results only and never shows or ends anything.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Launcher/payload/ByteView.h"

struct PayloadEntry {
    const std::uint8_t* compressedData = nullptr;  // inside the blob view; not owned
    std::int32_t compressedSize = 0;
    std::uint32_t compressedCrc = 0;
    std::int32_t index = 0;  // position of the record in the manifest
    std::wstring folder;     // empty when the record has none
    std::wstring name;
    std::wstring relativePath;          // folder joined with name: the map key
    std::vector<std::uint8_t> content;  // the decompressed file, once Decompress ran
    std::int32_t contentSize = 0;
    std::uint32_t contentCrc = 0;

    // Reads one manifest record at cursor (advanced past everything read) and fills the entry.
    // Returns 0, or -1 to -11 (PayloadCode) when the record is cut short or out of range; on a
    // failure nothing outside either view has been read. A negative nameLength counts as a name
    // past the end (-4); a negative compressedSize or dataOffset, or a range whose end does not
    // fit in 32 bits, as a range past the blob (-11). compressedData stays null unless it points
    // into the blob view (or just past its end).
    std::int32_t Parse(const PayloadViews& views, std::int32_t& cursor, std::int32_t recordIndex);

    // Decodes the compressed range into content, checking both checksums. Returns 0, -12 (the
    // compressed bytes are damaged, or compressedSize is negative; the decoder is not called),
    // -13 (the decoder failed or gave another size, contentSize is negative, or a buffer could
    // not be allocated; content is then left empty) or -14 (the decoded bytes are damaged).
    std::int32_t Decompress();
};
