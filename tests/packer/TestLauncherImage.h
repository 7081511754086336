// A launcher as a linker lays one out, made by the tests: .text, .data, the launcher's resources in
// .rsrc and the base relocations in .reloc after it, as PE32 or PE32+. Its parts sit at fixed
// addresses so that a test can damage one on purpose.
#pragma once

#include <cstdint>
#include <vector>

#include "Packer/rsrc/ResourceTree.h"
#include "Packer/rsrc/VersionBlock.h"
#include "tests/packer/PackerTestSupport.h"

namespace TestLauncherLayout {
inline constexpr std::uint32_t DataRva = 0x2000;
inline constexpr std::uint32_t ResourceRva = 0x3000;
inline constexpr std::uint32_t ResourceRaw = 0x800;
}  // namespace TestLauncherLayout

// A version block naming the launcher as its original file, with fixed information, one string
// table and a translation.
VersionNode LauncherVersionBlock();

// The launcher's resources: the version block, an icon group of one image, the application
// manifest and both payload resources.
ResourceTree LauncherResources();

struct TestLauncher {
    PeKind kind = PeKind::Pe32;
    ResourceTree resources = LauncherResources();
    std::vector<std::uint32_t> relocated = {TestLauncherLayout::DataRva,
                                            TestLauncherLayout::DataRva + 0x18};
};

// Builds the image; each relocated address gets a block of its own.
std::vector<std::uint8_t> MakeLauncherImage(const TestLauncher& launcher);
