// A built launcher as the template that embed writes a release into: read and checked once, then
// given a payload, versions and an icon, rebuilt with a new resource section, and read back to
// prove that the output holds what was written. Portable; shared by embed and its fuzz target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Packer/IconFile.h"
#include "Packer/PeImage.h"
#include "Packer/ResourceTree.h"
#include "Packer/VersionBlock.h"

struct LauncherTemplate {
    PeImage image;
    ResourceTree resources;
    std::size_t resourceSection = 0;  // index of the section the resources are rebuilt into
};

// Reads file as a launcher to embed into. Returns false with error when it is not a PE image,
// is cut short, is not a launcher built by this project (a GUI executable whose version block
// names the launcher as its original file), its resource tree does not parse, its layout is one
// the rebuild cannot keep right, or it is signed and stripSignature is not set.
bool ReadLauncherTemplate(std::span<const std::uint8_t> file, bool stripSignature,
                          LauncherTemplate& launcher, std::string& error);

struct EmbedChanges {
    std::span<const std::uint8_t> manifest;  // the payload resources
    std::span<const std::uint8_t> blob;
    std::optional<VersionNumber> fileVersion;
    std::optional<VersionNumber> productVersion;
    const std::vector<IconImage>* icon = nullptr;  // none: the launcher's icon stays
};

// Gives the resources of launcher with changes made: both payload resources replaced (in the
// launcher's language, any other language of them dropped), the versions set, the icon group
// and its images replaced. Returns false with error when the version block cannot take them.
bool ChangedResources(const LauncherTemplate& launcher, const EmbedChanges& changes,
                      ResourceTree& resources, std::string& error);

// Gives the file of launcher holding resources, and checks that the output reads back as a
// template with exactly those resources. Returns false with error otherwise.
bool WriteLauncher(std::span<const std::uint8_t> file, const LauncherTemplate& launcher,
                   const ResourceTree& resources, std::vector<std::uint8_t>& out,
                   std::string& error);
