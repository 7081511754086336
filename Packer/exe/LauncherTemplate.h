// A built launcher as the template that embed writes a release into: read and checked once, then
// given a payload, versions and an icon, rebuilt with a new resource section, and read back to
// prove that the output holds what was written. Portable; shared by embed and its fuzz target.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Packer/pe/ByteRuns.h"
#include "Packer/rsrc/IconFile.h"
#include "Packer/pe/PeImage.h"
#include "Packer/rsrc/ResourceTree.h"
#include "Packer/rsrc/VersionBlock.h"

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
    std::vector<std::uint8_t> manifest;  // the payload resources, moved into the tree
    std::vector<std::uint8_t> blob;
    std::optional<VersionNumber> fileVersion;
    std::optional<VersionNumber> productVersion;
    const std::vector<IconImage>* icon = nullptr;  // none: the launcher's icon stays
};

// Gives the resources of launcher with changes made: both payload resources replaced (in the
// launcher's language, any other language of them dropped), the versions set, the icon group
// and its images replaced. Returns false with error when the version block cannot take them.
bool ChangedResources(const LauncherTemplate& launcher, EmbedChanges changes,
                      ResourceTree& resources, std::string& error);

// Gives the file of launcher holding resources, as runs that view file and resources (which
// must outlive out). Returns false with error when the image would pass 2 GiB.
bool RebuildLauncher(std::span<const std::uint8_t> file, const LauncherTemplate& launcher,
                     const ResourceTree& resources, ByteRuns& out, std::string& error);

// What a resource must read back as: its size, CRC-32C and code page.
struct ResourceDigest {
    std::uint64_t size = 0;
    std::uint32_t crc = 0;
    std::uint32_t codePage = 0;

    friend bool operator==(const ResourceDigest&, const ResourceDigest&) = default;
};

using ResourceDigests = std::map<ResourceKey, ResourceDigest>;

// Gives the digest of every resource of tree.
ResourceDigests DigestResources(const ResourceTree& tree);

// Checks that a rebuilt file reads back as a template holding exactly the resources of
// expected. Returns false with error otherwise.
bool CheckRebuiltLauncher(std::span<const std::uint8_t> file, const ResourceDigests& expected,
                          std::string& error);

// Gives the file of launcher holding resources in one buffer, checked as above. Returns false
// with error otherwise.
bool WriteLauncher(std::span<const std::uint8_t> file, const LauncherTemplate& launcher,
                   const ResourceTree& resources, std::vector<std::uint8_t>& out,
                   std::string& error);
