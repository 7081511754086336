// Helpers for the packer tests (with the shared temporary folder, seeded bytes and file helpers):
// seeded text, a run of the tool that captures its output, and a hand-made PE image with chosen
// RT_RCDATA resources.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Packer/payload/Compressor.h"
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
};

enum class PeKind { Pe32, Pe32Plus };

// Names a test instance by the name its parameter carries.
inline constexpr auto NamedByParam = [](const auto& test) { return std::string(test.param.name); };

// Names a test instance by its kind of image.
std::string PeKindName(const ::testing::TestParamInfo<PeKind>& test);

// Builds a minimal PE32 (i386) or PE32+ (x86-64) image with one .rsrc section holding the given
// RT_RCDATA resources.
std::vector<std::uint8_t> MakePeImage(const std::vector<PeResource>& resources,
                                      PeKind kind = PeKind::Pe32);
