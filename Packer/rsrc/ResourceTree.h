// A PE image's resources as a value: every resource by type, id and language with its bytes. The
// three levels of the file's directory tree are the three parts of the key. Portable.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeImage.h"
#include "Packer/pe/PeLayout.h"

namespace ResourceType {
inline constexpr std::uint32_t Icon = 3, Rcdata = 10, GroupIcon = 14, Version = 16, Manifest = 24;
}  // namespace ResourceType

// One entry of a resource directory: an id (or, with the high bit, a string's offset) and the
// offset from the tree's start of a data entry (or, with the high bit, of a sub-directory).
struct ResourceDirectoryEntry {
    std::uint32_t name = 0;
    std::uint32_t target = 0;
};

struct ResourceDirectoryEntries {
    std::uint32_t namedCount = 0;
    bool complete = false;                    // every entry, named or id, lies inside the tree
    std::vector<ResourceDirectoryEntry> ids;  // up to the first that lies outside the tree
};

// Reads the directory at offset in tree (the bytes the resource directory entry covers): how
// many entries are named by strings, and its id entries. Gives nothing when its header lies
// outside tree. The strict reader refuses an incomplete directory; the loader's lookup uses the
// entries there are.
std::optional<ResourceDirectoryEntries> ReadDirectoryEntries(const ByteReader& tree,
                                                             std::uint64_t offset);

struct ResourceKey {
    std::uint32_t type = 0;
    std::uint32_t id = 0;
    std::uint32_t language = 0;

    friend auto operator<=>(const ResourceKey&, const ResourceKey&) = default;
};

struct ResourceData {
    std::vector<std::uint8_t> bytes;
    std::uint32_t codePage = 0;
};

// Sorted as the directory tree must be: by type, then id, then language.
using ResourceTree = std::map<ResourceKey, ResourceData>;

// A resource's bytes where they lie in a file that outlives the view.
struct ResourceView {
    std::span<const std::uint8_t> bytes;
    std::uint32_t codePage = 0;
};

using ResourceViews = std::map<ResourceKey, ResourceView>;

// Copies the resources' bytes out of the file they view.
ResourceTree CopyResources(const ResourceViews& views);

// Reads the resource tree the image's resource directory entry points at, without copying any
// resource's bytes; an image without one gives an empty tree. Returns false with error when the
// tree does not parse: an entry or data outside the section or the file, a level missing or one
// too many, a directory reached twice, one id twice in a directory, or data that together exceed
// the section. Names given as strings are refused too: no launcher has them, and this tree keeps
// ids only.
bool ReadResourceViews(std::span<const std::uint8_t> file, const PeImage& image,
                       ResourceViews& views, std::string& error);
