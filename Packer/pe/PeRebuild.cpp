// Resource section replacement. Only what the image's own tables say points at the moved
// sections is moved with them; anything that points there otherwise is a reason to refuse, since
// it would point at the wrong bytes afterwards.
#include "Packer/pe/PeRebuild.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeChecksum.h"
#include "Packer/pe/PeLayout.h"

namespace {

constexpr const char* DirectoryNames[] = {"export table",         "import table",
                                          "resource table",       "exception table",
                                          "certificate table",    "base relocation table",
                                          "debug directory",      "architecture data",
                                          "global pointer",       "TLS table",
                                          "load configuration",   "bound imports",
                                          "import address table", "delay imports",
                                          "CLR runtime header",   "reserved entry"};

// Checks that no base relocation patches an address at or after start: such a relocation means
// code or data holds the address of something in a section that would move or be rebuilt.
bool CheckRelocations(std::span<const std::uint8_t> file, const PeImage& image, std::uint32_t start,
                      std::string& error) {
    namespace Field = PeLayout::Relocation;
    if (image.directories[PeDirectoryIndex::BaseRelocation].size == 0) {
        return true;
    }
    const auto table = DirectoryBytes(file, image, PeDirectoryIndex::BaseRelocation);
    if (!table) {
        return Refuse(error, "the base relocation table lies outside the image's sections");
    }
    const ByteReader blocks{*table};
    for (std::uint64_t at = 0; at < table->size();) {
        const auto page = blocks.U32(at);
        const auto size = blocks.U32(at + Field::BlockSize);
        if (!page || !size || *size < Field::BlockHeader || *size % Field::EntrySize != 0 ||
            !blocks.Has(at, *size)) {
            return Refuse(error, "the base relocation table does not parse");
        }
        for (std::uint64_t entry = at + Field::BlockHeader; entry < at + *size;
             entry += Field::EntrySize) {
            const std::uint32_t type = *blocks.U16(entry) >> Field::TypeShift;
            const std::uint64_t address =
                std::uint64_t{*page} + (*blocks.U16(entry) & Field::OffsetMask);
            const std::uint32_t width = type == Field::Dir64 ? Field::Dir64Width : Field::Width;
            if (type != Field::Absolute && address + width > start) {
                char text[16];
                std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(address));
                return Refuse(error, std::string("a base relocation at address ") + text +
                                         " points into the resource section or after it: " +
                                         "something there is referred to by address");
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
    namespace Field = PeLayout::DebugEntry;
    if (image.directories[PeDirectoryIndex::Debug].size == 0) {
        return true;
    }
    const auto table = DirectoryBytes(file, image, PeDirectoryIndex::Debug);
    if (!table || table->size() % Field::Size != 0) {
        return Refuse(error, "the debug directory does not parse");
    }
    const ByteReader entries{*table};
    for (std::uint64_t at = 0; at < table->size(); at += Field::Size) {
        const std::uint64_t size = *entries.U32(at + Field::DataSize);
        const std::uint32_t address = *entries.U32(at + Field::DataRva);
        const std::uint32_t pointer = *entries.U32(at + Field::DataOffset);
        if ((address != 0 && address + size > resources.virtualAddress) ||
            (pointer != 0 && pointer + size > resources.rawOffset)) {
            return Refuse(error, "debug data lies in the resource section or after it");
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
            return Refuse(error,
                          "the launcher is signed (it has a certificate table): embed "
                          "into the unsigned launcher and sign the output afterwards, or "
                          "give --strip-signature to drop the signature");
        }
        // Up to 7 zero bytes may pad the sections to the table's 8-byte alignment.
        const std::uint64_t start = certificate.rva;
        if (start < end || start - end >= 8 || start + certificate.size != file.size() ||
            std::any_of(file.begin() + static_cast<std::ptrdiff_t>(end),
                        file.begin() + static_cast<std::ptrdiff_t>(start),
                        [](std::uint8_t b) { return b != 0; })) {
            return Refuse(error,
                          "the certificate table does not sit right after the last "
                          "section at the end of the file");
        }
        end = file.size();
    }
    if (file.size() > end) {
        return Refuse(error, std::to_string(file.size() - end) +
                                 " bytes follow the last section (an overlay, such as data a "
                                 "bundler appended): embed cannot tell what they are and would "
                                 "drop them");
    }
    return true;
}

// Checks that only the resource table and the base relocation table lead into the resource
// section and those after it: they hold no code, nothing but the base relocations follows the
// resources, and the entry point and the other data directories lie before them.
bool CheckLaterSections(const PeImage& image, std::size_t index, std::string& error) {
    const PeDirectory& relocations = image.directories[PeDirectoryIndex::BaseRelocation];
    const auto relocationSection =
        relocations.size != 0 ? SectionOfRva(image, relocations.rva) : std::nullopt;
    for (std::size_t i = index; i < image.sections.size(); ++i) {
        if (image.sections[i].characteristics & PeLayout::SectionHeader::Executable) {
            return Refuse(error, "section " + image.sections[i].name +
                                     " holds code and lies in or after the resource section");
        }
        // A later section that no data directory points into is reached some other way, which
        // moving it would break.
        if (i > index && relocationSection != i) {
            return Refuse(error, "section " + image.sections[i].name +
                                     " follows the resource section and holds something other "
                                     "than the base relocations");
        }
    }
    if (image.entryPoint >= image.sections[index].virtualAddress) {
        return Refuse(error, "the entry point lies in the resource section or after it");
    }
    // Every data directory but the certificate table, which holds no address, lies before the
    // resource section, except the resource table in it and the base relocation table after it.
    for (std::size_t d = 0; d < image.directories.size(); ++d) {
        const PeDirectory& directory = image.directories[d];
        if (d == PeDirectoryIndex::Certificate || (directory.rva == 0 && directory.size == 0)) {
            continue;
        }
        const auto section = SectionOfRva(image, directory.rva);
        const std::uint64_t end = directory.rva + std::uint64_t{directory.size};
        const bool inHeaders = end <= image.sections.front().virtualAddress;
        const bool before =
            section && *section < index && end <= image.sections[index].virtualAddress;
        const bool allowed = (section == index && d == PeDirectoryIndex::Resource) ||
                             (section > index && d == PeDirectoryIndex::BaseRelocation);
        if (!inHeaders && !before && !allowed) {
            return Refuse(error, std::string("the ") + DirectoryNames[d] +
                                     " lies in the resource section, after it, or outside every "
                                     "section; only the base relocation table may follow the "
                                     "resources");
        }
    }
    return true;
}

// The new resource section's sizes and how far what follows it moves.
struct NewSizes {
    std::uint64_t resources = 0;  // its bytes
    std::uint64_t raw = 0;        // its bytes padded to the file alignment
    std::uint64_t oldEnd = 0;     // the address where the old section's span ended
    std::int64_t deltaVa = 0;     // how far later sections move in the address space
    std::int64_t deltaRaw = 0;    // and in the file
    std::uint64_t sizeOfImage = 0;
};

// Sets the header fields the new section changes: section sizes and places, SizeOfImage,
// SizeOfInitializedData and the data directories (the certificate table dropped).
void PatchHeaders(std::vector<std::uint8_t>& head, const PeImage& image, std::size_t index,
                  const NewSizes& sized) {
    namespace Section = PeLayout::SectionHeader;
    namespace Entry = PeLayout::DataDirectory;
    const auto shifted = [](std::uint32_t value, std::int64_t delta) {
        return static_cast<std::uint32_t>(value + delta);
    };
    const PeFieldOffsets& at = image.offsets;
    const auto header = [&at](std::size_t i) { return at.sectionTable + Section::Size * i; };
    PutU32(head, header(index) + Section::VirtualSize, static_cast<std::uint32_t>(sized.resources));
    PutU32(head, header(index) + Section::RawSize, static_cast<std::uint32_t>(sized.raw));
    for (std::size_t i = index + 1; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        PutU32(head, header(i) + Section::VirtualAddress,
               shifted(section.virtualAddress, sized.deltaVa));
        if (section.rawSize != 0) {
            PutU32(head, header(i) + Section::RawOffset,
                   shifted(section.rawOffset, sized.deltaRaw));
        }
    }
    PutU32(head, at.sizeOfImage, static_cast<std::uint32_t>(sized.sizeOfImage));
    if (image.sections[index].characteristics & Section::InitializedData) {
        PutU32(head, at.sizeOfInitializedData,
               shifted(image.sizeOfInitializedData, sized.deltaRaw));
    }
    for (std::size_t d = 0; d < image.directoryCount; ++d) {
        const PeDirectory& directory = image.directories[d];
        const std::size_t entry = at.directories + Entry::EntrySize * d;
        if (d == PeDirectoryIndex::Resource) {
            PutU32(head, entry + Entry::Size, static_cast<std::uint32_t>(sized.resources));
        } else if (d == PeDirectoryIndex::Certificate) {
            PutU32(head, entry + Entry::Rva, 0);
            PutU32(head, entry + Entry::Size, 0);
        } else if (directory.rva >= sized.oldEnd) {
            PutU32(head, entry + Entry::Rva, shifted(directory.rva, sized.deltaVa));
        }
    }
}

}  // namespace

bool CheckResourceSectionReplaceable(std::span<const std::uint8_t> file, const PeImage& image,
                                     bool stripSignature, std::size_t& index, std::string& error) {
    const PeDirectory& resourceTable = image.directories[PeDirectoryIndex::Resource];
    const auto found = SectionOfRva(image, resourceTable.rva);
    if (resourceTable.rva == 0 || !found ||
        image.sections[*found].virtualAddress != resourceTable.rva ||
        image.sections[*found].rawSize == 0) {
        return Refuse(error,
                      "the image has no resource section that starts with the resource directory");
    }
    index = *found;
    return CheckLaterSections(image, index, error) &&
           CheckRelocations(file, image, image.sections[index].virtualAddress, error) &&
           CheckDebugData(file, image, image.sections[index], error) &&
           CheckTail(file, image, stripSignature, error);
}

bool RebuildWithResourceSection(std::span<const std::uint8_t> file, const PeImage& image,
                                std::size_t index, ByteRuns&& resources, ByteRuns& out,
                                std::string& error) {
    const PeSection& old = image.sections[index];
    const bool last = index + 1 == image.sections.size();
    NewSizes sized;
    sized.oldEnd = last ? image.sizeOfImage : image.sections[index + 1].virtualAddress;
    sized.resources = RunsSize(resources);
    sized.raw = AlignUp(sized.resources, image.fileAlignment);
    sized.deltaVa = static_cast<std::int64_t>(AlignUp(sized.resources, image.sectionAlignment) -
                                              (sized.oldEnd - old.virtualAddress));
    sized.deltaRaw = static_cast<std::int64_t>(sized.raw - old.rawSize);
    sized.sizeOfImage = static_cast<std::uint64_t>(image.sizeOfImage + sized.deltaVa);
    if (sized.sizeOfImage > PeLayout::LargestImage ||
        image.sectionsEnd + sized.deltaRaw > PeLayout::LargestImage) {
        return Refuse(error, "the image would pass 2 GiB");
    }
    out = ByteRuns{};
    std::vector<std::uint8_t>& head =
        AppendOwned(out, std::vector<std::uint8_t>(file.begin(), file.begin() + old.rawOffset));
    // Moving a vector keeps its buffer, so the views of resources' own runs stay valid.
    std::move(resources.owned.begin(), resources.owned.end(), std::back_inserter(out.owned));
    out.runs.insert(out.runs.end(), resources.runs.begin(), resources.runs.end());
    AppendOwned(
        out, std::vector<std::uint8_t>(static_cast<std::size_t>(sized.raw - sized.resources), 0));
    AppendView(out, file.subspan(
                        static_cast<std::size_t>(old.rawOffset + old.rawSize),
                        static_cast<std::size_t>(image.sectionsEnd - old.rawOffset - old.rawSize)));
    PatchHeaders(head, image, index, sized);
    PutU32(head, image.offsets.checkSum, PeChecksum(out.runs, image.offsets.checkSum));
    return true;
}
