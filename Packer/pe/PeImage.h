// The headers and section table of a PE32 or PE32+ image, read from its file without the Windows
// loader. Portable. Only layouts a linker writes are accepted: anything else is refused with a
// reason, so that code which rewrites an image never works from a guess.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

struct PeSection {
    std::string name;  // up to eight characters
    std::uint32_t virtualSize = 0;
    std::uint32_t virtualAddress = 0;
    std::uint32_t rawSize = 0;
    std::uint32_t rawOffset = 0;
    std::uint32_t characteristics = 0;
};

struct PeDirectory {
    std::uint32_t rva = 0;  // a file offset for the certificate table
    std::uint32_t size = 0;
};

namespace PeDirectoryIndex {
inline constexpr std::size_t Resource = 2, Certificate = 4, BaseRelocation = 5, Debug = 6;
}  // namespace PeDirectoryIndex

// Where the fields that an image rewrite changes sit in the file.
struct PeFieldOffsets {
    std::uint32_t sizeOfInitializedData = 0;
    std::uint32_t sizeOfImage = 0;
    std::uint32_t checkSum = 0;
    std::uint32_t directories = 0;   // the first data-directory entry
    std::uint32_t sectionTable = 0;  // the first section header
};

struct PeImage {
    bool pe32Plus = false;
    std::uint16_t fileCharacteristics = 0;  // the COFF header's
    std::uint32_t symbolTable = 0;          // the COFF symbol table's offset; 0 when stripped
    std::uint16_t subsystem = 0;
    std::uint32_t entryPoint = 0;  // RVA
    std::uint32_t sectionAlignment = 0;
    std::uint32_t fileAlignment = 0;
    std::uint32_t sizeOfHeaders = 0;
    std::uint32_t sizeOfImage = 0;
    std::uint32_t sizeOfInitializedData = 0;
    std::vector<PeDirectory> directories;  // always 16 entries; absent ones are zero
    std::uint32_t directoryCount = 0;      // how many the header holds
    std::vector<PeSection> sections;       // in table order (address order, once parsed)
    std::uint64_t sectionsEnd = 0;         // end of the last section's bytes in the file
    PeFieldOffsets offsets;
};

// Reads the headers and the section table of the image in file as they are written, checking only
// that they lie in the file and that the data directories fit the optional header. Returns false
// with error when the file is not a PE image or its headers are cut short. For reading a file that
// may be damaged, as the Windows loader would; sectionsEnd is left 0.
bool ReadPeHeaders(std::span<const std::uint8_t> file, PeImage& image, std::string& error);

// Reads the headers of the image in file as ReadPeHeaders does, then checks its layout. Returns
// false with error saying what is wrong when the file is not a PE image, is cut short, or has a
// layout this reader does not handle: sections out of address order or overlapping, alignments
// that are not powers of two, section bytes beyond the end of the file, or a COFF symbol table.
bool ParsePeImage(std::span<const std::uint8_t> file, PeImage& image, std::string& error);

// How a section's address range is measured: up to the next multiple of the section alignment,
// as the loader maps a valid image; or its exact span, for a file that may be damaged, whose
// alignment is not trusted.
enum class SectionSpan { Aligned, Exact };

// Gives the index of the section whose address range holds rva, or nothing.
std::optional<std::size_t> SectionOfRva(const PeImage& image, std::uint32_t rva,
                                        SectionSpan span = SectionSpan::Aligned);

// Gives the file offset of [rva, rva + length) when the range lies in one section's file bytes.
std::optional<std::uint64_t> FileOffsetOfRva(const PeImage& image, std::uint32_t rva,
                                             std::uint32_t length,
                                             SectionSpan span = SectionSpan::Aligned);

// Gives the bytes of file that data directory index covers, or nothing when they do not lie in
// one section's bytes inside file.
std::optional<std::span<const std::uint8_t>> DirectoryBytes(
    std::span<const std::uint8_t> file, const PeImage& image, std::size_t index,
    SectionSpan span = SectionSpan::Aligned);
