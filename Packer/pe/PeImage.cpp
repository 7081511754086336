// PE header reading. Every offset taken from the file is checked against its size before use.
#include "Packer/pe/PeImage.h"

#include <algorithm>
#include <bit>

#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeLayout.h"

namespace {

// The bytes a section takes in the address space before alignment: its virtual size, or its
// file size when the linker left the virtual size 0.
std::uint32_t VirtualSpan(const PeSection& section) {
    return section.virtualSize != 0 ? section.virtualSize : section.rawSize;
}

// Checks that the sections lie in address order and in file order, aligned, with their bytes
// inside the file, and finds where their bytes end.
bool CheckSections(const ByteReader& file, PeImage& image, std::string& error) {
    std::uint64_t nextAddress = 0;
    image.sectionsEnd = image.sizeOfHeaders;
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        const std::string name = "section " + std::to_string(i + 1) + " (" + section.name + ")";
        if (section.virtualAddress < nextAddress ||
            section.virtualAddress % image.sectionAlignment) {
            return Refuse(error, name +
                                     " is out of address order or not aligned to the "
                                     "section alignment");
        }
        nextAddress =
            section.virtualAddress + AlignUp(VirtualSpan(section), image.sectionAlignment);
        if (section.rawSize != 0) {
            const std::uint64_t rawEnd = std::uint64_t{section.rawOffset} + section.rawSize;
            if (section.rawOffset < image.sectionsEnd || section.rawOffset % image.fileAlignment ||
                section.rawSize % image.fileAlignment) {
                return Refuse(error, name +
                                         " overlaps the headers or the section before it in "
                                         "the file, or is not aligned to the file alignment");
            }
            if (!file.Has(section.rawOffset, section.rawSize)) {
                return Refuse(error, "the file is cut short: " + name + " ends at byte " +
                                         std::to_string(rawEnd) + ", the file at byte " +
                                         std::to_string(file.bytes.size()));
            }
            image.sectionsEnd = rawEnd;
        }
    }
    if (nextAddress > image.sizeOfImage) {
        return Refuse(error, "SizeOfImage is smaller than the sections it should hold");
    }
    return true;
}

// Reads the optional header's fields and data directories, and where the section table starts.
bool ReadOptionalHeader(const ByteReader& file, std::uint64_t optional, std::uint32_t optionalSize,
                        std::uint32_t sectionCount, PeImage& image, std::string& error) {
    namespace Field = PeLayout::Optional;
    const auto magic = file.U16(optional + Field::Magic);
    if (!magic || (*magic != Field::Pe32Magic && *magic != Field::Pe32PlusMagic)) {
        return Refuse(error, "not a PE image (the optional header is neither PE32 nor PE32+)");
    }
    image.pe32Plus = *magic == Field::Pe32PlusMagic;
    const std::uint32_t fixedSize =
        image.pe32Plus ? Field::Pe32PlusDirectories : Field::Pe32Directories;
    const std::uint64_t table = optional + optionalSize;
    if (optionalSize < fixedSize || !file.Has(optional, optionalSize) ||
        !file.Has(table, std::uint64_t{PeLayout::SectionHeader::Size} * sectionCount)) {
        return Refuse(error, "not a PE image (headers cut short)");
    }
    image.directoryCount = *file.U32(optional + fixedSize - Field::DirectoryCountSize);
    if (image.directoryCount > PeLayout::DataDirectory::MaximumCount ||
        fixedSize + PeLayout::DataDirectory::EntrySize * image.directoryCount > optionalSize) {
        return Refuse(error, "the optional header's data directories do not fit it");
    }
    const auto at = static_cast<std::uint32_t>(optional);
    image.offsets = {at + Field::SizeOfInitializedData, at + Field::SizeOfImage,
                     at + Field::CheckSum, at + fixedSize, static_cast<std::uint32_t>(table)};
    image.sizeOfInitializedData = *file.U32(at + Field::SizeOfInitializedData);
    image.entryPoint = *file.U32(at + Field::EntryPoint);
    image.sectionAlignment = *file.U32(at + Field::SectionAlignment);
    image.fileAlignment = *file.U32(at + Field::FileAlignment);
    image.sizeOfImage = *file.U32(at + Field::SizeOfImage);
    image.sizeOfHeaders = *file.U32(at + Field::SizeOfHeaders);
    image.subsystem = *file.U16(at + Field::Subsystem);
    image.directories.resize(PeLayout::DataDirectory::MaximumCount);
    for (std::uint32_t i = 0; i < image.directoryCount; ++i) {
        const std::uint64_t entry =
            image.offsets.directories + PeLayout::DataDirectory::EntrySize * i;
        image.directories[i] = {*file.U32(entry + PeLayout::DataDirectory::Rva),
                                *file.U32(entry + PeLayout::DataDirectory::Size)};
    }
    return true;
}

}  // namespace

bool ReadPeHeaders(std::span<const std::uint8_t> bytes, PeImage& image, std::string& error) {
    image = PeImage{};
    const ByteReader file{bytes};
    const auto peOffset = file.U32(PeLayout::DosPeOffset);
    if (!file.Has(0, PeLayout::DosHeaderSize) || bytes[0] != 'M' || bytes[1] != 'Z' || !peOffset ||
        !file.Has(*peOffset, PeLayout::SignatureSize + PeLayout::Coff::Size) ||
        file.U32(*peOffset) != PeLayout::PeSignature) {
        return Refuse(error, "not a PE image (no MZ and PE signatures)");
    }
    const std::uint64_t coff = *peOffset + std::uint64_t{PeLayout::SignatureSize};
    const std::uint32_t sectionCount = *file.U16(coff + PeLayout::Coff::SectionCount);
    image.symbolTable = *file.U32(coff + PeLayout::Coff::SymbolTable);
    image.fileCharacteristics = *file.U16(coff + PeLayout::Coff::Characteristics);
    if (!ReadOptionalHeader(file, coff + PeLayout::Coff::Size,
                            *file.U16(coff + PeLayout::Coff::OptionalHeaderSize), sectionCount,
                            image, error)) {
        return false;
    }
    // The section table lies in the file: ReadOptionalHeader checked that.
    namespace Field = PeLayout::SectionHeader;
    for (std::uint32_t i = 0; i < sectionCount; ++i) {
        const std::uint64_t at = image.offsets.sectionTable + std::uint64_t{Field::Size} * i;
        PeSection& section = image.sections.emplace_back();
        const auto name = file.bytes.subspan(static_cast<std::size_t>(at), Field::NameLength);
        section.name.assign(name.begin(), std::find(name.begin(), name.end(), 0));
        section.virtualSize = *file.U32(at + Field::VirtualSize);
        section.virtualAddress = *file.U32(at + Field::VirtualAddress);
        section.rawSize = *file.U32(at + Field::RawSize);
        section.rawOffset = *file.U32(at + Field::RawOffset);
        section.characteristics = *file.U32(at + Field::Characteristics);
    }
    return true;
}

bool ParsePeImage(std::span<const std::uint8_t> bytes, PeImage& image, std::string& error) {
    if (!ReadPeHeaders(bytes, image, error)) {
        return false;
    }
    const std::size_t sectionCount = image.sections.size();
    if (sectionCount == 0 || sectionCount > PeLayout::MaximumSections) {
        return Refuse(error, "the image has " + std::to_string(sectionCount) + " sections");
    }
    if (!std::has_single_bit(image.fileAlignment) || !std::has_single_bit(image.sectionAlignment) ||
        image.fileAlignment > image.sectionAlignment ||
        image.fileAlignment > PeLayout::MaximumFileAlignment) {
        return Refuse(error, "file alignment " + std::to_string(image.fileAlignment) +
                                 " and section alignment " +
                                 std::to_string(image.sectionAlignment) +
                                 " are not powers of two with the file's no larger than 64 KiB "
                                 "and the section's");
    }
    if (image.sizeOfHeaders < image.offsets.sectionTable +
                                  std::uint64_t{PeLayout::SectionHeader::Size} * sectionCount ||
        image.sizeOfHeaders > bytes.size()) {
        return Refuse(error,
                      "SizeOfHeaders does not cover the section table or passes the end "
                      "of the file");
    }
    if (image.symbolTable != 0) {
        return Refuse(error, "the image carries a COFF symbol table (it was not stripped)");
    }
    return CheckSections(ByteReader{bytes}, image, error);
}

std::optional<std::size_t> SectionOfRva(const PeImage& image, std::uint32_t rva, SectionSpan span) {
    const std::uint32_t alignment = span == SectionSpan::Aligned ? image.sectionAlignment : 1;
    for (std::size_t i = 0; i < image.sections.size(); ++i) {
        const PeSection& section = image.sections[i];
        if (rva >= section.virtualAddress &&
            rva - section.virtualAddress < AlignUp(VirtualSpan(section), alignment)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::uint64_t> FileOffsetOfRva(const PeImage& image, std::uint32_t rva,
                                             std::uint32_t length, SectionSpan span) {
    const auto index = SectionOfRva(image, rva, span);
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

std::optional<std::span<const std::uint8_t>> DirectoryBytes(std::span<const std::uint8_t> file,
                                                            const PeImage& image, std::size_t index,
                                                            SectionSpan span) {
    const auto [rva, size] = image.directories[index];
    const auto offset = FileOffsetOfRva(image, rva, size, span);
    if (!offset || !ByteReader{file}.Has(*offset, size)) {
        return std::nullopt;
    }
    return file.subspan(static_cast<std::size_t>(*offset), size);
}
