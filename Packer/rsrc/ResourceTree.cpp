// Resource tree reading. Each directory may be reached once and the data together may not exceed
// the file, so that a crafted tree cannot make the reader loop or copy without bound.
#include "Packer/rsrc/ResourceTree.h"

#include <set>

#include "Packer/pe/ByteFields.h"

namespace {

constexpr int LanguageLevel = 2;

struct TreeWalk {
    std::span<const std::uint8_t> file;
    const PeImage& image;
    ByteReader directory;  // the bytes the resource directory entry covers
    ResourceViews& tree;
    std::string& error;
    std::set<std::uint32_t> reached;  // directory and data-entry offsets already read
    std::uint64_t dataBytes = 0;

    bool Fail(const std::string& what) {
        error = "the resource tree does not parse: " + what;
        return false;
    }

    bool ReadData(std::uint32_t at, const ResourceKey& key) {
        const auto rva = directory.U32(at);
        const auto size = directory.U32(at + std::uint64_t{4});
        const auto codePage = directory.U32(at + std::uint64_t{8});
        if (!rva || !size || !codePage || !directory.Has(at, 16) || !reached.insert(at).second) {
            return Fail("a data entry lies outside the directory or is reached twice");
        }
        const auto offset = FileOffsetOfRva(image, *rva, *size);
        dataBytes += *size;
        if (!offset || dataBytes > file.size()) {
            return Fail("the data of resource " + std::to_string(key.type) + "/" +
                        std::to_string(key.id) + " lies outside the image's sections");
        }
        tree[key] = ResourceView{file.subspan(static_cast<std::size_t>(*offset), *size), *codePage};
        return true;
    }

    // Reads the directory at offset, at level 0 (types), 1 (ids) or 2 (languages).
    bool ReadDirectory(std::uint32_t offset, int level, ResourceKey key) {
        const auto named = directory.U16(offset + std::uint64_t{12});
        const auto ids = directory.U16(offset + std::uint64_t{14});
        if (!named || !ids || !directory.Has(offset, 16 + std::uint64_t{8} * (*named + *ids)) ||
            !reached.insert(offset).second) {
            return Fail("a directory lies outside the resource directory or is reached twice");
        }
        if (*named != 0) {
            return Fail("it has resources named by strings, which a launcher never has");
        }
        std::set<std::uint32_t> seen;
        for (std::uint32_t i = 0; i < *ids; ++i) {
            const std::uint32_t name = *directory.U32(offset + 16 + std::uint64_t{8} * i);
            const std::uint32_t target = *directory.U32(offset + 20 + std::uint64_t{8} * i);
            if (name > 0xFFFF || !seen.insert(name).second) {
                return Fail("a directory holds id " + std::to_string(name) +
                            (name > 0xFFFF ? ", more than 16 bits" : " twice"));
            }
            (level == 0 ? key.type : level == 1 ? key.id : key.language) = name;
            const bool subdirectory = (target & ResourceSubdirectoryBit) != 0;
            if (subdirectory != (level < LanguageLevel)) {
                return Fail("a resource is not three levels deep (type, id, language)");
            }
            if (subdirectory ? !ReadDirectory(target & ~ResourceSubdirectoryBit, level + 1, key)
                             : !ReadData(target, key)) {
                return false;
            }
        }
        return true;
    }
};

}  // namespace

bool ReadResourceViews(std::span<const std::uint8_t> file, const PeImage& image,
                       ResourceViews& views, std::string& error) {
    views.clear();
    const PeDirectory& entry = image.directories[PeDirectoryIndex::Resource];
    if (entry.rva == 0 && entry.size == 0) {
        return true;
    }
    const auto offset = FileOffsetOfRva(image, entry.rva, entry.size);
    if (!offset) {
        error =
            "the resource tree does not parse: its directory entry points outside the "
            "image's sections";
        return false;
    }
    TreeWalk walk{
        file,  image, ByteReader{file.subspan(static_cast<std::size_t>(*offset), entry.size)},
        views, error, {},
        0};
    return walk.ReadDirectory(0, 0, {});
}

bool ReadResourceTree(std::span<const std::uint8_t> file, const PeImage& image, ResourceTree& tree,
                      std::string& error) {
    tree.clear();
    ResourceViews views;
    if (!ReadResourceViews(file, image, views, error)) {
        return false;
    }
    for (const auto& [key, view] : views) {
        tree.emplace_hint(tree.end(), key,
                          ResourceData{{view.bytes.begin(), view.bytes.end()}, view.codePage});
    }
    return true;
}
