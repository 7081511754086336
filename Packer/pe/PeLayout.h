// The PE format's offsets and sizes, each named once: the reader, the resource lookup and the
// writers take them from here. An offset is from the start of the structure its namespace names;
// where fields follow one another, static_assert checks that the numbers agree. Portable.
#pragma once

#include <cstdint>

namespace PeLayout {

// The DOS header, where the offset of the PE signature is stored, and the signature "PE\0\0".
inline constexpr std::uint32_t DosHeaderSize = 64, DosPeOffset = 0x3C;
inline constexpr std::uint32_t PeSignature = 0x4550, SignatureSize = 4;
static_assert(DosPeOffset + 4 == DosHeaderSize);

// Images, and everything an image's addresses reach, stay below 2 GiB.
inline constexpr std::uint64_t LargestImage = 0x80000000u;
inline constexpr std::uint32_t MaximumSections = 96;  // the most the loader maps
inline constexpr std::uint32_t MaximumFileAlignment = 0x10000;

namespace Coff {
inline constexpr std::uint32_t SectionCount = 2, SymbolTable = 8;
inline constexpr std::uint32_t OptionalHeaderSize = 16, Characteristics = 18, Size = 20;
// Flags in Characteristics: an image that can run, one that may use addresses above 2 GB (a
// 32-bit one), and a DLL.
inline constexpr std::uint16_t ExecutableImage = 0x0002, LargeAddressAware = 0x0020;
inline constexpr std::uint16_t DynamicLibrary = 0x2000;
static_assert(SymbolTable == SectionCount + 2 + 4 && Characteristics + 2 == Size);
}  // namespace Coff

// The optional header: the fields up to Subsystem sit alike in PE32 and PE32+; from the stack
// sizes on, PE32+ widens four fields to 8 bytes.
namespace Optional {
inline constexpr std::uint16_t Pe32Magic = 0x10B, Pe32PlusMagic = 0x20B;
inline constexpr std::uint32_t Magic = 0, SizeOfInitializedData = 8, EntryPoint = 16;
inline constexpr std::uint32_t SectionAlignment = 32, FileAlignment = 36;
inline constexpr std::uint32_t SizeOfImage = 56, SizeOfHeaders = 60, CheckSum = 64;
inline constexpr std::uint32_t Subsystem = 68, StackReserve = 72;
inline constexpr std::uint16_t WindowsGui = 2;  // a Subsystem value
// The data directories follow the four stack and heap sizes, LoaderFlags and their own count.
inline constexpr std::uint32_t Pe32Directories = 96, Pe32PlusDirectories = 112;
inline constexpr std::uint32_t DirectoryCountSize = 4;  // the count just before the directories
static_assert(SectionAlignment + 4 == FileAlignment && SizeOfHeaders + 4 == CheckSum &&
              CheckSum + 4 == Subsystem && Subsystem + 2 + 2 == StackReserve);
static_assert(Pe32Directories == StackReserve + 4 * 4 + 4 + DirectoryCountSize &&
              Pe32PlusDirectories == StackReserve + 4 * 8 + 4 + DirectoryCountSize);
}  // namespace Optional

namespace DataDirectory {
inline constexpr std::uint32_t Rva = 0, Size = 4, EntrySize = 8, MaximumCount = 16;
static_assert(Size + 4 == EntrySize);
}  // namespace DataDirectory

// A section header: an 8-byte name, then the fields below; relocation and line-number pointers
// (4 bytes each) and counts (2 each) lie between RawOffset and Characteristics.
namespace SectionHeader {
inline constexpr std::uint32_t NameLength = 8, VirtualSize = 8, VirtualAddress = 12;
inline constexpr std::uint32_t RawSize = 16, RawOffset = 20, Characteristics = 36, Size = 40;
// Flags in Characteristics: code or memory that may execute, and initialised data.
inline constexpr std::uint32_t Executable = 0x20000020u, InitializedData = 0x40u;
static_assert(VirtualSize == NameLength && VirtualAddress == VirtualSize + 4 &&
              RawSize == VirtualAddress + 4 && RawOffset == RawSize + 4);
static_assert(Characteristics == RawOffset + 4 + 4 + 4 + 2 + 2 && Characteristics + 4 == Size);
}  // namespace SectionHeader

// A base relocation block: its page and size, then 2-byte entries of a type and a page offset.
// Type 0 pads and patches nothing; type 10 patches 8 bytes; the others a linker writes patch 4.
namespace Relocation {
inline constexpr std::uint32_t BlockSize = 4, BlockHeader = 8, EntrySize = 2;
inline constexpr std::uint32_t TypeShift = 12, OffsetMask = 0xFFF, Absolute = 0, Dir64 = 10;
inline constexpr std::uint32_t Dir64Width = 8, Width = 4;
static_assert(BlockSize + 4 == BlockHeader && OffsetMask + 1 == 1u << TypeShift);
}  // namespace Relocation

// A debug directory entry: the size, address and file offset of its data end it.
namespace DebugEntry {
inline constexpr std::uint32_t DataSize = 16, DataRva = 20, DataOffset = 24, Size = 28;
static_assert(DataRva == DataSize + 4 && DataOffset == DataRva + 4 && DataOffset + 4 == Size);
}  // namespace DebugEntry

// The resource directory: a 16-byte header whose last fields count the entries named by strings
// and by ids, then those 8-byte entries (named first). HighBit is set in a name that is a
// string's offset and in a target that is a sub-directory's.
namespace ResourceDirectory {
inline constexpr std::uint32_t NamedCount = 12, IdCount = 14, HeaderSize = 16;
inline constexpr std::uint32_t EntryName = 0, EntryTarget = 4, EntrySize = 8;
inline constexpr std::uint32_t HighBit = 0x80000000u, LargestId = 0xFFFF;
inline constexpr std::uint32_t Depth = 3;  // type, id, language
static_assert(NamedCount + 2 == IdCount && IdCount + 2 == HeaderSize);
static_assert(EntryTarget + 4 == EntrySize);
}  // namespace ResourceDirectory

// The data entry a language's directory entry leads to; a reserved field ends it.
namespace ResourceDataEntry {
inline constexpr std::uint32_t Rva = 0, Size = 4, CodePage = 8, EntrySize = 16;
static_assert(Size == Rva + 4 && CodePage == Size + 4 && CodePage + 4 + 4 == EntrySize);
}  // namespace ResourceDataEntry

}  // namespace PeLayout
