// PE header reading. Every offset taken from the file is checked against its size before use.
#include "Packer/pe/PeImage.h"

#include "Packer/pe/ByteFields.h"

namespace {

constexpr std::uint32_t MaximumSections = 96;
constexpr std::uint32_t DirectoryCount = 16;

bool IsPowerOfTwo(std::uint32_t value) {
    return value != 0 && (value & (value - 1)) == 0;
}

// The bytes a section takes in the address space before alignment: its virtual size, or its
// file size when the linker left the virtual size 0.
std::uint32_t VirtualSpan(const PeSection& section) {
    return section.virtualSize != 0 ? section.virtualSize : section.rawSize;
}

// Checks that the sections lie in address order and in file order, aligned, with their bytes
// inside the file, and finds where their bytes end.
bool CheckSections(const ByteReader& file, PeImage& image, std::string& error) {
    std::uint64_t nextAddress = 0;
    std::uint64_t nextRaw = image.sizeOfHeaders;
    image.sectionsEnd = image.sizeOfHeaders;
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        const std::string name = "section " + std::to_string(i + 1) + " (" + section.name + ")";
        if (section.virtualAddress < nextAddress ||
            section.virtualAddress % image.sectionAlignment) {
            error = name + " is out of address order or not aligned to the section alignment";
            return false;
        }
        nextAddress =
            section.virtualAddress + AlignUp(VirtualSpan(section), image.sectionAlignment);
        if (section.rawSize != 0) {
            if (section.rawOffset < nextRaw || section.rawOffset % image.fileAlignment ||
                section.rawSize % image.fileAlignment) {
                error = name + " overlaps the headers or the section before it in the file, or " +
                        "is not aligned to the file alignment";
                return false;
            }
            if (!file.Has(section.rawOffset, section.rawSize)) {
                error = "the file is cut short: " + name + " ends at byte " +
                        std::to_string(std::uint64_t{section.rawOffset} + section.rawSize) +
                        ", the file at byte " + std::to_string(file.bytes.size());
                return false;
            }
            nextRaw = std::uint64_t{section.rawOffset} + section.rawSize;
            image.sectionsEnd = nextRaw;
        }
    }
    if (nextAddress > image.sizeOfImage) {
        error = "SizeOfImage is smaller than the sections it should hold";
        return false;
    }
    return true;
}

}  // namespace

bool ReadPeHeaders(std::span<const std::uint8_t> bytes, PeImage& image, std::string& error) {
    image = PeImage{};
    const ByteReader file{bytes};
    const auto peOffset = file.U32(0x3C);
    if (!file.Has(0, 64) || bytes[0] != 'M' || bytes[1] != 'Z' || !peOffset ||
        !file.Has(*peOffset, 24) || file.U32(*peOffset) != 0x4550u) {
        error = "not a PE image (no MZ and PE signatures)";
        return false;
    }
    const std::uint64_t coff = *peOffset + std::uint64_t{4};
    image.machine = *file.U16(coff);
    const std::uint32_t sectionCount = *file.U16(coff + 2);
    image.symbolTable = *file.U32(coff + 8);
    const std::uint32_t optionalSize = *file.U16(coff + 16);
    image.fileCharacteristics = *file.U16(coff + 18);
    const std::uint64_t optional = coff + 20;
    const auto magic = file.U16(optional);
    if (!magic || (*magic != 0x10B && *magic != 0x20B)) {
        error = "not a PE image (the optional header is neither PE32 nor PE32+)";
        return false;
    }
    image.pe32Plus = *magic == 0x20B;
    const std::uint32_t fixedSize = image.pe32Plus ? 112 : 96;
    const std::uint64_t table = optional + optionalSize;
    if (optionalSize < fixedSize || !file.Has(optional, optionalSize) ||
        !file.Has(table, std::uint64_t{40} * sectionCount)) {
        error = "not a PE image (headers cut short)";
        return false;
    }
    const std::uint32_t directoryCount = *file.U32(optional + fixedSize - 4);
    if (directoryCount > DirectoryCount || fixedSize + 8 * directoryCount > optionalSize) {
        error = "the optional header's data directories do not fit it";
        return false;
    }
    image.offsets.sizeOfInitializedData = static_cast<std::uint32_t>(optional + 8);
    image.offsets.sizeOfImage = static_cast<std::uint32_t>(optional + 56);
    image.offsets.checkSum = static_cast<std::uint32_t>(optional + 64);
    image.offsets.directories = static_cast<std::uint32_t>(optional + fixedSize);
    image.offsets.sectionTable = static_cast<std::uint32_t>(table);
    image.sizeOfInitializedData = *file.U32(optional + 8);
    image.entryPoint = *file.U32(optional + 16);
    image.sectionAlignment = *file.U32(optional + 32);
    image.fileAlignment = *file.U32(optional + 36);
    image.sizeOfImage = *file.U32(optional + 56);
    image.sizeOfHeaders = *file.U32(optional + 60);
    image.subsystem = *file.U16(optional + 68);
    image.directories.resize(DirectoryCount);
    image.directoryCount = directoryCount;
    for (std::uint32_t i = 0; i < directoryCount; ++i) {
        image.directories[i] = {*file.U32(image.offsets.directories + 8 * i),
                                *file.U32(image.offsets.directories + 8 * i + 4)};
    }
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = table + std::uint64_t{40} * i;
        PeSection section;
        const auto header = static_cast<std::size_t>(at);
        for (std::size_t c = 0; c < 8 && bytes[header + c] != 0; ++c) {
            section.name += static_cast<char>(bytes[header + c]);
        }
        section.virtualSize = *file.U32(at + 8);
        section.virtualAddress = *file.U32(at + 12);
        section.rawSize = *file.U32(at + 16);
        section.rawOffset = *file.U32(at + 20);
        section.characteristics = *file.U32(at + 36);
        image.sections.push_back(section);
    }
    return true;
}

bool ParsePeImage(std::span<const std::uint8_t> bytes, PeImage& image, std::string& error) {
    if (!ReadPeHeaders(bytes, image, error)) {
        return false;
    }
    const std::size_t sectionCount = image.sections.size();
    if (sectionCount == 0 || sectionCount > MaximumSections) {
        error = "the image has " + std::to_string(sectionCount) + " sections";
        return false;
    }
    if (!IsPowerOfTwo(image.fileAlignment) || !IsPowerOfTwo(image.sectionAlignment) ||
        image.fileAlignment > image.sectionAlignment || image.fileAlignment > 0x10000) {
        error = "file alignment " + std::to_string(image.fileAlignment) +
                " and section alignment " + std::to_string(image.sectionAlignment) +
                " are not powers of two with the file's no larger than 64 KiB and the section's";
        return false;
    }
    if (image.sizeOfHeaders < image.offsets.sectionTable + std::uint64_t{40} * sectionCount ||
        image.sizeOfHeaders > bytes.size()) {
        error = "SizeOfHeaders does not cover the section table or passes the end of the file";
        return false;
    }
    if (image.symbolTable != 0) {
        error = "the image carries a COFF symbol table (it was not stripped)";
        return false;
    }
    return CheckSections(ByteReader{bytes}, image, error);
}

std::optional<std::size_t> SectionOfRva(const PeImage& image, std::uint32_t rva) {
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        if (rva >= section.virtualAddress &&
            rva - section.virtualAddress < AlignUp(VirtualSpan(section), image.sectionAlignment)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> FileOffsetOfRva(const PeImage& image, std::uint32_t rva,
                                             std::uint32_t length) {
    const auto index = SectionOfRva(image, rva);
    if (!index) {
        return std::nullopt;
    }
    const PeSection& section = image.sections[*index];
    const std::uint64_t within = rva - section.virtualAddress;
    if (within > section.rawSize || length > section.rawSize - within) {
        return std::nullopt;
    }
    return section.rawOffset + within;
}
