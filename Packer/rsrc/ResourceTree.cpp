// Resource tree reading. Each directory may be reached once and the data together may not exceed
// the file, so that a crafted tree cannot make the reader loop or copy without bound.
#include "Packer/rsrc/ResourceTree.h"

#include <set>

#include "Packer/pe/PeLayout.h"

namespace {

namespace DirectoryField = PeLayout::ResourceDirectory;
namespace DataEntry = PeLayout::ResourceDataEntry;

constexpr int LanguageLevel = DirectoryField::Depth - 1;

struct TreeWalk {
    std::span<const std::uint8_t> file;
    const PeImage& image;
    ByteReader directory;  // the bytes the resource directory entry covers
    ResourceViews& tree;
    std::string& error;
    std::set<std::uint32_t> reached;  // directory and data-entry offsets already read
    std::uint64_t dataBytes = 0;

    bool Fail(const std::string& what) {
        return Refuse(error, "the resource tree does not parse: " + what);
    }

    bool ReadData(std::uint32_t at, const ResourceKey& key) {
        if (!directory.Has(at, DataEntry::EntrySize) || !reached.insert(at).second) {
            return Fail("a data entry lies outside the directory or is reached twice");
        }
        const std::uint32_t rva = *directory.U32(at + DataEntry::Rva);
        const std::uint32_t size = *directory.U32(at + DataEntry::Size);
        const std::uint32_t codePage = *directory.U32(at + DataEntry::CodePage);
        const auto offset = FileOffsetOfRva(image, rva, size);
        dataBytes += size;
        if (!offset || dataBytes > file.size()) {
            return Fail("the data of resource " + std::to_string(key.type) + "/" +
                        std::to_string(key.id) + " lies outside the image's sections");
        }
        tree[key] = ResourceView{file.subspan(static_cast<std::size_t>(*offset), size), codePage};
        return true;
    }

    // Reads the directory at offset, at level 0 (types), 1 (ids) or 2 (languages).
    bool ReadDirectory(std::uint32_t offset, int level, ResourceKey key) {
        const auto entries = ReadDirectoryEntries(directory, offset);
        if (!entries || !entries->complete || !reached.insert(offset).second) {
            return Fail("a directory lies outside the resource directory or is reached twice");
        }
        if (entries->namedCount != 0) {
            return Fail("it has resources named by strings, which a launcher never has");
        }
        std::set<std::uint32_t> seen;
        for (const auto [name, target] : entries->ids) {
            if (name > DirectoryField::LargestId || !seen.insert(name).second) {
                return Fail("a directory holds id " + std::to_string(name) +
                            (name > DirectoryField::LargestId ? ", more than 16 bits" : " twice"));
            }
            (level == 0 ? key.type : level == 1 ? key.id : key.language) = name;
            const bool subdirectory = (target & DirectoryField::HighBit) != 0;
            if (subdirectory != (level < LanguageLevel)) {
                return Fail("a resource is not three levels deep (type, id, language)");
            }
            if (subdirectory ? !ReadDirectory(target & ~DirectoryField::HighBit, level + 1, key)
                             : !ReadData(target, key)) {
                return false;
            }
        }
        return true;
    }
};

}  // namespace

std::optional<ResourceDirectoryEntries> ReadDirectoryEntries(const ByteReader& tree,
                                                             std::uint64_t offset) {
    const auto named = tree.U16(offset + DirectoryField::NamedCount);
    const auto ids = tree.U16(offset + DirectoryField::IdCount);
    if (!named || !ids) {
        return std::nullopt;
    }
    ResourceDirectoryEntries entries{*named, false, {}};
    const std::uint64_t first = offset + DirectoryField::HeaderSize;
    entries.complete = tree.Has(first, std::uint64_t{DirectoryField::EntrySize} * (*named + *ids));
    for (std::uint64_t at = first + std::uint64_t{DirectoryField::EntrySize} * *named;
         entries.ids.size() < *ids && tree.Has(at, DirectoryField::EntrySize);
         at += DirectoryField::EntrySize) {
        entries.ids.push_back({*tree.U32(at + DirectoryField::EntryName),
                               *tree.U32(at + DirectoryField::EntryTarget)});
    }
    return entries;
}

ResourceTree CopyResources(const ResourceViews& views) {
    ResourceTree tree;
    for (const auto& [key, view] : views) {
        tree.emplace_hint(tree.end(), key,
                          ResourceData{{view.bytes.begin(), view.bytes.end()}, view.codePage});
    }
    return tree;
}

bool ReadResourceViews(std::span<const std::uint8_t> file, const PeImage& image,
                       ResourceViews& views, std::string& error) {
    views.clear();
    const PeDirectory& entry = image.directories[PeDirectoryIndex::Resource];
    if (entry.rva == 0 && entry.size == 0) {
        return true;
    }
    const auto bytes = DirectoryBytes(file, image, PeDirectoryIndex::Resource);
    if (!bytes) {
        return Refuse(error,
                      "the resource tree does not parse: its directory entry points outside the "
                      "image's sections");
    }
    TreeWalk walk{file, image, ByteReader{*bytes}, views, error, {}, 0};
    return walk.ReadDirectory(0, 0, {});
}
