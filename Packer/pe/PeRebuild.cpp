// Resource section replacement. Only what the image's own tables say points at the moved
// sections is moved with them; anything that points there otherwise is a reason to refuse, since
// it would point at the wrong bytes afterwards.
#include "Packer/pe/PeRebuild.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeChecksum.h"

namespace {

constexpr std::uint32_t ExecutableSection = 0x20000020u;  // code, or memory that may execute
constexpr std::uint32_t InitializedData = 0x40u;
constexpr std::uint64_t LargestImage = 0x80000000u;
constexpr std::uint32_t DebugEntrySize = 28;

const char* DirectoryName(std::size_t index) {
    static const char* const names[] = {"export table",         "import table",
                                        "resource table",       "exception table",
                                        "certificate table",    "base relocation table",
                                        "debug directory",      "architecture data",
                                        "global pointer",       "TLS table",
                                        "load configuration",   "bound imports",
                                        "import address table", "delay imports",
                                        "CLR runtime header",   "reserved entry"};
    return names[index];
}

// Checks that no base relocation patches an address at or after start: such a relocation means
// code or data holds the address of something in a section that would move or be rebuilt.
bool CheckRelocations(std::span<const std::uint8_t> file, const PeImage& image, std::uint32_t start,
                      std::string& error) {
    const PeDirectory& table = image.directories[PeDirectoryIndex::BaseRelocation];
    if (table.size == 0) {
        return true;
    }
    const auto offset = FileOffsetOfRva(image, table.rva, table.size);
    if (!offset) {
        error = "the base relocation table lies outside the image's sections";
        return false;
    }
    const ByteReader blocks{file.subspan(static_cast<std::size_t>(*offset), table.size)};
    for (std::uint64_t at = 0; at < table.size;) {
        const auto page = blocks.U32(at);
        const auto size = blocks.U32(at + 4);
        if (!page || !size || *size < 8 || *size % 2 != 0 || !blocks.Has(at, *size)) {
            error = "the base relocation table does not parse";
            return false;
        }
        for (std::uint64_t entry = at + 8; entry < at + *size; entry += 2) {
            const std::uint32_t value = *blocks.U16(entry);
            const std::uint32_t width = value >> 12 == 10 ? 8 : 4;  // 64-bit or 32-bit address
            if (value >> 12 != 0 && std::uint64_t{*page} + (value & 0xFFF) + width > start) {
                char address[16];
                std::snprintf(address, sizeof address, "0x%X", *page + (value & 0xFFF));
                error = std::string("a base relocation at address ") + address +
                        " points into the resource section or after it: something there is " +
                        "referred to by address";
                return false;
            }
        }
        at += *size;
    }
    return true;
}

// Checks that debug data, which the debug directory names by address and by file offset, lies
// before the resource section.
bool CheckDebugData(std::span<const std::uint8_t> file, const PeImage& image,
                    const PeSection& resources, std::string& error) {
    const PeDirectory& table = image.directories[PeDirectoryIndex::Debug];
    if (table.size == 0) {
        return true;
    }
    const auto offset = FileOffsetOfRva(image, table.rva, table.size);
    if (!offset || table.size % DebugEntrySize != 0) {
        error = "the debug directory does not parse";
        return false;
    }
    const ByteReader entries{file.subspan(static_cast<std::size_t>(*offset), table.size)};
    for (std::uint32_t at = 0; at < table.size; at += DebugEntrySize) {
        const std::uint64_t size = *entries.U32(at + 16);
        const std::uint32_t address = *entries.U32(at + 20);
        const std::uint32_t pointer = *entries.U32(at + 24);
        if ((address != 0 && address + size > resources.virtualAddress) ||
            (pointer != 0 && pointer + size > resources.rawOffset)) {
            error = "debug data lies in the resource section or after it";
            return false;
        }
    }
    return true;
}

// Checks what lies after the sections: nothing, or a certificate table that is to be stripped.
bool CheckTail(std::span<const std::uint8_t> file, const PeImage& image, bool stripSignature,
               std::string& error) {
    const PeDirectory& certificate = image.directories[PeDirectoryIndex::Certificate];
    std::uint64_t end = image.sectionsEnd;
    if (certificate.size != 0 || certificate.rva != 0) {
        if (!stripSignature) {
            error =
                "the launcher is signed (it has a certificate table): embed into the unsigned "
                "launcher and sign the output afterwards, or give --strip-signature to drop "
                "the signature";
            return false;
        }
        const std::uint64_t start = certificate.rva;
        const bool padding =
            start >= end && start - end < 8 &&
            std::all_of(file.begin() + static_cast<std::ptrdiff_t>(end),
                        file.begin() + static_cast<std::ptrdiff_t>(
                                           std::min<std::uint64_t>(start, file.size())),
                        [](std::uint8_t b) { return b == 0; });
        if (!padding || start + certificate.size != file.size()) {
            error =
                "the certificate table does not sit right after the last section at the end "
                "of the file";
            return false;
        }
        end = file.size();
    }
    if (file.size() > end) {
        error = std::to_string(file.size() - end) +
                " bytes follow the last section (an overlay, such as data a bundler appended): "
                "embed cannot tell what they are and would drop them";
        return false;
    }
    return true;
}

}  // namespace

bool CheckResourceSectionReplaceable(std::span<const std::uint8_t> file, const PeImage& image,
                                     bool stripSignature, std::size_t& index, std::string& error) {
    const PeDirectory& resourceTable = image.directories[PeDirectoryIndex::Resource];
    const auto found = SectionOfRva(image, resourceTable.rva);
    if (resourceTable.rva == 0 || !found ||
        image.sections[*found].virtualAddress != resourceTable.rva ||
        image.sections[*found].rawSize == 0) {
        error = "the image has no resource section that starts with the resource directory";
        return false;
    }
    index = *found;
    const PeSection& resources = image.sections[index];
    const PeDirectory& relocations = image.directories[PeDirectoryIndex::BaseRelocation];
    const auto relocationSection =
        relocations.size != 0 ? SectionOfRva(image, relocations.rva) : std::nullopt;
    for (std::size_t i = index; i < image.sections.size(); ++i) {
        if (image.sections[i].characteristics & ExecutableSection) {
            error = "section " + image.sections[i].name + " holds code and lies in or after the " +
                    "resource section";
            return false;
        }
        // A later section that no data directory points into is reached some other way, which
        // moving it would break.
        if (i > index && relocationSection != i) {
            error = "section " + image.sections[i].name + " follows the resource section and " +
                    "holds something other than the base relocations";
            return false;
        }
    }
    if (image.entryPoint >= resources.virtualAddress) {
        error = "the entry point lies in the resource section or after it";
        return false;
    }
    for (std::size_t d = 0; d < image.directories.size(); ++d) {
        const PeDirectory& directory = image.directories[d];
        if (d == PeDirectoryIndex::Certificate || (directory.rva == 0 && directory.size == 0)) {
            continue;
        }
        const auto section = SectionOfRva(image, directory.rva);
        const bool inHeaders =
            directory.rva + std::uint64_t{directory.size} <= image.sections.front().virtualAddress;
        const bool before =
            section && *section < index &&
            directory.rva + std::uint64_t{directory.size} <= resources.virtualAddress;
        const bool allowed = (section == index && d == PeDirectoryIndex::Resource) ||
                             (section > index && d == PeDirectoryIndex::BaseRelocation);
        if (!inHeaders && !before && !allowed) {
            error = std::string("the ") + DirectoryName(d) +
                    " lies in the resource section, after it, or outside every section; only the "
                    "base relocation table may follow the resources";
            return false;
        }
    }
    return CheckRelocations(file, image, resources.virtualAddress, error) &&
           CheckDebugData(file, image, resources, error) &&
           CheckTail(file, image, stripSignature, error);
}

bool RebuildWithResourceSection(std::span<const std::uint8_t> file, const PeImage& image,
                                std::size_t index, ByteRuns&& resources, ByteRuns& out,
                                std::string& error) {
    const PeSection& old = image.sections[index];
    const bool last = index + 1 == image.sections.size();
    const std::uint64_t resourceSize = RunsSize(resources);
    const std::uint64_t oldSpan =
        (last ? image.sizeOfImage : image.sections[index + 1].virtualAddress) - old.virtualAddress;
    const std::uint64_t newSpan = AlignUp(resourceSize, image.sectionAlignment);
    const std::uint64_t newRaw = AlignUp(resourceSize, image.fileAlignment);
    const auto deltaVa = static_cast<std::int64_t>(newSpan - oldSpan);
    const auto deltaRaw = static_cast<std::int64_t>(newRaw - old.rawSize);
    const std::uint64_t sizeOfImage = image.sizeOfImage + deltaVa;
    const std::uint64_t fileSize = image.sectionsEnd + deltaRaw;
    if (sizeOfImage > LargestImage || fileSize > LargestImage) {
        error = "the image would pass 2 GiB";
        return false;
    }

    out = ByteRuns{};
    std::vector<std::uint8_t>& head =
        AppendOwned(out, std::vector<std::uint8_t>(file.begin(), file.begin() + old.rawOffset));
    // Moving a vector keeps its buffer, so the views of resources' own runs stay valid.
    for (auto& owned : resources.owned) {
        out.owned.push_back(std::move(owned));
    }
    for (const auto run : resources.runs) {
        AppendView(out, run);
    }
    AppendOwned(out, std::vector<std::uint8_t>(static_cast<std::size_t>(newRaw - resourceSize), 0));
    AppendView(out, file.subspan(
                        static_cast<std::size_t>(old.rawOffset + old.rawSize),
                        static_cast<std::size_t>(image.sectionsEnd - old.rawOffset - old.rawSize)));

    const auto shifted = [](std::uint32_t value, std::int64_t delta) {
        return static_cast<std::uint32_t>(value + delta);
    };
    const PeFieldOffsets& at = image.offsets;
    const std::size_t header = at.sectionTable + 40 * index;
    PutU32(head, header + 8, static_cast<std::uint32_t>(resourceSize));
    PutU32(head, header + 16, static_cast<std::uint32_t>(newRaw));
    for (std::size_t i = index + 1; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        PutU32(head, at.sectionTable + 40 * i + 12, shifted(section.virtualAddress, deltaVa));
        if (section.rawSize != 0) {
            PutU32(head, at.sectionTable + 40 * i + 20, shifted(section.rawOffset, deltaRaw));
        }
    }
    PutU32(head, at.sizeOfImage, static_cast<std::uint32_t>(sizeOfImage));
    if (old.characteristics & InitializedData) {
        PutU32(head, at.sizeOfInitializedData, shifted(image.sizeOfInitializedData, deltaRaw));
    }
    for (std::size_t d = 0; d < image.directoryCount; ++d) {
        const PeDirectory& directory = image.directories[d];
        const std::size_t entry = at.directories + 8 * d;
        if (d == PeDirectoryIndex::Resource) {
            PutU32(head, entry + 4, static_cast<std::uint32_t>(resourceSize));
        } else if (d == PeDirectoryIndex::Certificate) {
            PutU32(head, entry, 0);
            PutU32(head, entry + 4, 0);
        } else if (directory.rva >= old.virtualAddress + oldSpan) {
            PutU32(head, entry, shifted(directory.rva, deltaVa));
        }
    }
    PutU32(head, at.checkSum, PeChecksum(out.runs, at.checkSum));
    return true;
}
