// Icon files and icon groups. A file's directory entry is 16 bytes and ends with the image's
// file offset; a group's entry is 14 bytes and ends with the image's RT_ICON id instead.
#include "Packer/rsrc/IconFile.h"

#include <utility>

#include "Packer/pe/ByteFields.h"

namespace {

constexpr std::uint32_t FileEntrySize = 16;
constexpr std::uint32_t GroupEntrySize = 14;
constexpr std::uint32_t HeaderSize = 6;
constexpr std::uint32_t MostImages = 255;  // keeps every new RT_ICON id within 16 bits

}  // namespace

bool ReadIconFile(std::span<const std::uint8_t> file, std::vector<IconImage>& images,
                  std::string& error) {
    images.clear();
    const ByteReader reader{file};
    const auto reserved = reader.U16(0);
    const auto type = reader.U16(2);
    const auto count = reader.U16(4);
    if (!reserved || !count || *reserved != 0 || *type != 1) {
        return Refuse(error, "not an icon file (no icon header)");
    }
    if (*count == 0 || *count > MostImages ||
        !reader.Has(HeaderSize, std::uint64_t{FileEntrySize} * *count)) {
        return Refuse(
            error, "the icon file holds no image or more than 255, or its directory is cut short");
    }
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint64_t at = HeaderSize + std::uint64_t{FileEntrySize} * i;
        const std::uint32_t size = *reader.U32(at + 8);
        const std::uint32_t offset = *reader.U32(at + 12);
        if (size == 0 || !reader.Has(offset, size)) {
            return Refuse(error,
                          "image " + std::to_string(i + 1) + " of the icon file lies outside it");
        }
        // In range: the directory was checked against the file's size above.
        const auto entry = static_cast<std::size_t>(at);
        const auto bytes = file.subspan(offset, size);
        images.push_back(IconImage{.width = file[entry],
                                   .height = file[entry + 1],
                                   .colourCount = file[entry + 2],
                                   .planes = *reader.U16(at + 4),
                                   .bitCount = *reader.U16(at + 6),
                                   .bytes = std::vector<std::uint8_t>(bytes.begin(), bytes.end())});
    }
    return true;
}

void ReplaceIconGroup(ResourceTree& tree, std::uint32_t groupId, std::uint32_t language,
                      const std::vector<IconImage>& images) {
    const ResourceKey groupKey{ResourceType::GroupIcon, groupId, language};
    std::uint32_t codePage = 0;
    if (const auto old = tree.find(groupKey); old != tree.end()) {
        codePage = old->second.codePage;
        const ByteReader group{old->second.bytes};
        const std::uint32_t count = group.U16(4).value_or(0);
        for (std::uint32_t i = 0; i < count; ++i) {
            if (const auto id = group.U16(HeaderSize + std::uint64_t{GroupEntrySize} * i + 12)) {
                tree.erase({ResourceType::Icon, *id, language});
            }
        }
    }
    std::vector<std::uint8_t> group(HeaderSize + GroupEntrySize * images.size(), 0);
    PutU16(group, 2, 1);
    PutU16(group, 4, static_cast<std::uint32_t>(images.size()));
    std::uint32_t id = 1;
    for (std::size_t i = 0; i < images.size(); ++i, ++id) {
        // The icons added so far took lower ids, so a taken id is another resource's.
        while (tree.contains({ResourceType::Icon, id, language})) {
            ++id;
        }
        const IconImage& image = images[i];
        const std::size_t at = HeaderSize + GroupEntrySize * i;
        group[at] = image.width;
        group[at + 1] = image.height;
        group[at + 2] = image.colourCount;
        PutU16(group, at + 4, image.planes);
        PutU16(group, at + 6, image.bitCount);
        PutU32(group, at + 8, static_cast<std::uint32_t>(image.bytes.size()));
        PutU16(group, at + 12, id);
        tree[{ResourceType::Icon, id, language}] = ResourceData{image.bytes, codePage};
    }
    tree[groupKey] = ResourceData{std::move(group), codePage};
}
