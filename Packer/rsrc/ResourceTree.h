// A PE image's resources as a value: every resource by type, id and language with its bytes. The
// three levels of the file's directory tree are the three parts of the key. Portable.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <tuple>
#include <vector>

#include "Packer/pe/PeImage.h"

namespace ResourceType {
inline constexpr std::uint32_t Icon = 3;
inline constexpr std::uint32_t Rcdata = 10;
inline constexpr std::uint32_t GroupIcon = 14;
inline constexpr std::uint32_t Version = 16;
inline constexpr std::uint32_t Manifest = 24;
}  // namespace ResourceType

// Set in a resource directory entry's offset when it leads to a sub-directory, not to data.
inline constexpr std::uint32_t ResourceSubdirectoryBit = 0x80000000u;

struct ResourceKey {
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    std::uint32_t language = 0;

    friend auto operator<=>(const ResourceKey&, const ResourceKey&) = default;
};

struct ResourceData {
    std::vector<std::uint8_t> bytes;
    std::uint32_t codePage = 0;

    friend bool operator==(const ResourceData&, const ResourceData&) = default;
};

// Sorted as the directory tree must be: by type, then id, then language.
using ResourceTree = std::map<ResourceKey, ResourceData>;

// A resource's bytes where they lie in a file that outlives the view.
struct ResourceView {
    std::span<const std::uint8_t> bytes;
    std::uint32_t codePage = 0;
};

using ResourceViews = std::map<ResourceKey, ResourceView>;

// Reads the resource tree as ReadResourceTree does, without copying any resource's bytes.
bool ReadResourceViews(std::span<const std::uint8_t> file, const PeImage& image,
                       ResourceViews& views, std::string& error);

// Reads the resource tree the image's resource directory entry points at; an image without one
// gives an empty tree. Returns false with error when the tree does not parse: an entry or data
// outside the section or the file, a level missing or one too many, a directory reached twice,
// one id twice in a directory, or data that together exceed the section. Names given as
// strings are refused too: no launcher has them, and this tree keeps ids only.
bool ReadResourceTree(std::span<const std::uint8_t> file, const PeImage& image, ResourceTree& tree,
                      std::string& error);
