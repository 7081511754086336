// Helpers for the packer tests (with the shared temporary folder, seeded bytes and file helpers):
// seeded text, a run of the tool that captures its output, and a hand-made PE image with chosen
// resources.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Launcher/payload/ByteView.h"
#include "Packer/payload/Compressor.h"
#include "Packer/rsrc/ResourceTree.h"
#include "Packer/rsrc/VersionBlock.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempFolder.h"
#include "tests/support/TestBytes.h"

// Gives size bytes of compressible text from a seeded generator.
std::vector<std::uint8_t> TextBytes(std::size_t size, std::uint32_t seed);

// Compresses content as pack does; fails the test when the compressor refuses.
PackedFile Compressed(const std::vector<std::uint8_t>& content, int level);

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// Runs the tool's commands in this process.
ToolRun RunTool(const std::vector<std::string>& args);

// Counts the places where word begins in text.
std::size_t Occurrences(const std::string& text, const std::string& word);

struct PeResource {
    std::uint32_t id = 0;
    std::uint32_t language = 1033;
    std::vector<std::uint8_t> bytes;
    std::int64_t rvaShift = 0;  // moves the data entry's RVA, to point it outside the file
    std::uint32_t type = ResourceType::Rcdata;
};

enum class PeKind { Pe32, Pe32Plus };

// Copies the bytes a view shows.
std::vector<std::uint8_t> ViewBytes(const ByteView& view);

// Names a test instance by the name its parameter carries.
inline constexpr auto NamedByParam = [](const auto& test) { return std::string(test.param.name); };

// Names a test instance by its kind of image.
std::string PeKindName(const ::testing::TestParamInfo<PeKind>& test);

// Where the parts of a test image sit, so that a test can damage one on purpose.
namespace TestPeLayout {
inline constexpr std::uint32_t DataRva = 0x2000;
inline constexpr std::uint32_t ResourceRva = 0x3000;
inline constexpr std::uint32_t ResourceRaw = 0x800;
inline constexpr std::size_t Subsystem = 0x58 + 68;
inline constexpr std::size_t CheckSum = 0x58 + 64;
}  // namespace TestPeLayout

// A version block naming the launcher as its original file, with fixed information, one string
// table and a translation.
VersionNode LauncherVersionBlock();

// The launcher's resources: the version block, an icon group of one image, the application
// manifest and both payload resources.
std::vector<PeResource> LauncherResources();

// Builds a PE32 (i386) or PE32+ (x86-64) GUI executable as a linker lays one out: .text, .data,
// the resources in .rsrc (one language per id, types and ids in the order given) and .reloc after
// it, with a relocation block for each relocated address.
std::vector<std::uint8_t> MakePeImage(const std::vector<PeResource>& resources,
                                      PeKind kind = PeKind::Pe32,
                                      const std::vector<std::uint32_t>& relocated = {
                                          TestPeLayout::DataRva});
