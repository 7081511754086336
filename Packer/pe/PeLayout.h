// The PE format's offsets and sizes, each named once: the reader, the resource lookup and the
// writers take them from here. An offset is from the start of the structure its namespace names;
// where fields follow one another, static_assert checks that the numbers agree. Portable.
#pragma once

#include <cstdint>

namespace PeLayout {

// The DOS header and the signature that the PE header starts with.
inline constexpr std::uint32_t DosHeaderSize = 64;
inline constexpr std::uint32_t DosPeOffset = 0x3C;    // where the PE header's offset is stored
inline constexpr std::uint32_t PeSignature = 0x4550;  // "PE\0\0"
inline constexpr std::uint32_t SignatureSize = 4;
static_assert(DosPeOffset + 4 == DosHeaderSize);

// Images, and everything an image's addresses reach, stay below 2 GiB.
inline constexpr std::uint64_t LargestImage = 0x80000000u;
inline constexpr std::uint32_t MaximumSections = 96;  // the most the loader maps
inline constexpr std::uint32_t MaximumFileAlignment = 0x10000;

namespace Coff {
inline constexpr std::uint32_t Machine = 0;
inline constexpr std::uint32_t SectionCount = 2;
inline constexpr std::uint32_t SymbolTable = 8;
inline constexpr std::uint32_t OptionalHeaderSize = 16;
inline constexpr std::uint32_t Characteristics = 18;
inline constexpr std::uint32_t Size = 20;
static_assert(SymbolTable == SectionCount + 2 + 4 && Characteristics + 2 == Size);
}  // namespace Coff

// The optional header: the fields up to Subsystem sit alike in PE32 and PE32+; from the stack
// sizes on, PE32+ widens four fields to 8 bytes.
namespace Optional {
inline constexpr std::uint16_t Pe32Magic = 0x10B;
inline constexpr std::uint16_t Pe32PlusMagic = 0x20B;
inline constexpr std::uint32_t Magic = 0;
inline constexpr std::uint32_t SizeOfInitializedData = 8;
inline constexpr std::uint32_t EntryPoint = 16;
inline constexpr std::uint32_t SectionAlignment = 32;
inline constexpr std::uint32_t FileAlignment = 36;
inline constexpr std::uint32_t SizeOfImage = 56;
inline constexpr std::uint32_t SizeOfHeaders = 60;
inline constexpr std::uint32_t CheckSum = 64;
inline constexpr std::uint32_t Subsystem = 68;
inline constexpr std::uint32_t StackReserve = 72;
// The data directories follow the four stack and heap sizes, LoaderFlags and their own count.
constexpr std::uint32_t DirectoriesFor(std::uint32_t sizeWidth) {
    return StackReserve + 4 * sizeWidth + 4 + 4;
}
inline constexpr std::uint32_t Pe32Directories = 96;
inline constexpr std::uint32_t Pe32PlusDirectories = 112;
static_assert(SizeOfHeaders + 4 == CheckSum && CheckSum + 4 == Subsystem &&
              Subsystem + 2 + 2 == StackReserve);
static_assert(DirectoriesFor(4) == Pe32Directories && DirectoriesFor(8) == Pe32PlusDirectories);
}  // namespace Optional

namespace DataDirectory {
inline constexpr std::uint32_t Rva = 0;
inline constexpr std::uint32_t Size = 4;
inline constexpr std::uint32_t EntrySize = 8;
inline constexpr std::uint32_t MaximumCount = 16;
static_assert(Size + 4 == EntrySize);
}  // namespace DataDirectory

namespace SectionHeader {
inline constexpr std::uint32_t NameLength = 8;
inline constexpr std::uint32_t VirtualSize = 8;
inline constexpr std::uint32_t VirtualAddress = 12;
inline constexpr std::uint32_t RawSize = 16;
inline constexpr std::uint32_t RawOffset = 20;
inline constexpr std::uint32_t Characteristics = 36;
inline constexpr std::uint32_t Size = 40;
static_assert(VirtualSize == NameLength && VirtualAddress == VirtualSize + 4 &&
              RawSize == VirtualAddress + 4 && RawOffset == RawSize + 4);
// Relocation and line-number pointers (4 bytes each) and counts (2 each) lie in between.
static_assert(Characteristics == RawOffset + 4 + 4 + 4 + 2 + 2 && Characteristics + 4 == Size);
}  // namespace SectionHeader

// A base relocation block: its page and size, then 2-byte entries of a type and a page offset.
namespace Relocation {
inline constexpr std::uint32_t BlockSize = 4;
inline constexpr std::uint32_t BlockHeader = 8;
inline constexpr std::uint32_t EntrySize = 2;
inline constexpr std::uint32_t TypeShift = 12;
inline constexpr std::uint32_t OffsetMask = 0xFFF;
inline constexpr std::uint32_t Absolute = 0;  // padding, patches nothing
inline constexpr std::uint32_t Dir64 = 10;    // patches 8 bytes; the others used patch 4
static_assert(BlockSize + 4 == BlockHeader && OffsetMask + 1 == 1u << TypeShift);
}  // namespace Relocation

namespace DebugEntry {
inline constexpr std::uint32_t DataSize = 16;
inline constexpr std::uint32_t DataRva = 20;
inline constexpr std::uint32_t DataOffset = 24;
inline constexpr std::uint32_t Size = 28;
static_assert(DataRva == DataSize + 4 && DataOffset == DataRva + 4 && DataOffset + 4 == Size);
}  // namespace DebugEntry

// The resource directory: a 16-byte header whose last fields count the entries named by
// strings and by ids, then those 8-byte entries (named first), each naming its target.
namespace ResourceDirectory {
inline constexpr std::uint32_t NamedCount = 12;
inline constexpr std::uint32_t IdCount = 14;
inline constexpr std::uint32_t HeaderSize = 16;
inline constexpr std::uint32_t EntryName = 0;
inline constexpr std::uint32_t EntryTarget = 4;
inline constexpr std::uint32_t EntrySize = 8;
// Set in a name when it is a string's offset, and in a target when it is a sub-directory's.
inline constexpr std::uint32_t HighBit = 0x80000000u;
inline constexpr std::uint32_t LargestId = 0xFFFF;
static_assert(NamedCount + 2 == IdCount && IdCount + 2 == HeaderSize);
static_assert(EntryTarget + 4 == EntrySize);
}  // namespace ResourceDirectory

// The data entry a language's directory entry leads to.
namespace ResourceDataEntry {
inline constexpr std::uint32_t Rva = 0;
inline constexpr std::uint32_t Size = 4;
inline constexpr std::uint32_t CodePage = 8;
inline constexpr std::uint32_t EntrySize = 16;  // a reserved field ends it
static_assert(Size == Rva + 4 && CodePage == Size + 4 && CodePage + 4 + 4 == EntrySize);
}  // namespace ResourceDataEntry

}  // namespace PeLayout
