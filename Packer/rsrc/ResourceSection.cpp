// Resource section writing. The tree's map order is the order the format asks for (ascending ids
// at every level), so one pass over it lays out each level.
#include "Packer/rsrc/ResourceSection.h"

#include <array>
#include <utility>

#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeLayout.h"

namespace {

namespace DirectoryField = PeLayout::ResourceDirectory;
namespace DataEntry = PeLayout::ResourceDataEntry;

constexpr std::uint64_t DataAlignment = 8;

// One directory to write: its entries' ids and, for each, the index of what it points to (a
// directory of the next level, or a data entry below the language level).
struct Directory {
    std::vector<std::uint32_t> ids;
    std::vector<std::size_t> targets;
    std::uint64_t offset = 0;
};

// Level 0 is the root; level 1 one directory per type; level 2 one per type and id.
using Levels = std::array<std::vector<Directory>, DirectoryField::Depth>;

// Where the pieces of the section lie: the directories' offsets are in Levels.
struct Placement {
    std::uint64_t dataEntries = 0;
    std::vector<std::uint64_t> dataOffsets;
    std::uint64_t end = 0;
};

Levels GatherDirectories(const ResourceTree& tree) {
    Levels levels;
    levels[0].resize(1);
    std::size_t dataIndex = 0;
    const ResourceKey* previous = nullptr;
    for (const auto& [key, data] : tree) {
        const bool newType = previous == nullptr || previous->type != key.type;
        const bool newId = newType || previous->id != key.id;
        if (newType) {
            levels[0][0].ids.push_back(key.type);
            levels[0][0].targets.push_back(levels[1].size());
            levels[1].emplace_back();
        }
        if (newId) {
            levels[1].back().ids.push_back(key.id);
            levels[1].back().targets.push_back(levels[2].size());
            levels[2].emplace_back();
        }
        levels[2].back().ids.push_back(key.language);
        levels[2].back().targets.push_back(dataIndex++);
        previous = &key;
    }
    return levels;
}

// Places every directory breadth first, then the data entries, then each piece of data aligned.
Placement Place(const ResourceTree& tree, Levels& levels) {
    Placement place;
    std::uint64_t at = 0;
    for (auto& level : levels) {
        for (auto& directory : level) {
            directory.offset = at;
            at += DirectoryField::HeaderSize + DirectoryField::EntrySize * directory.ids.size();
        }
    }
    place.dataEntries = at;
    at += DataEntry::EntrySize * tree.size();
    for (const auto& [key, data] : tree) {
        at = AlignUp(at, DataAlignment);
        place.dataOffsets.push_back(at);
        at += data.bytes.size();
    }
    place.end = at;
    return place;
}

// Gives the directories and data entries, which the data follow.
std::vector<std::uint8_t> WriteTables(const ResourceTree& tree, const Levels& levels,
                                      const Placement& place, std::uint32_t sectionRva) {
    std::vector<std::uint8_t> section(
        static_cast<std::size_t>(place.dataEntries + DataEntry::EntrySize * tree.size()));
    for (std::size_t level = 0; level < levels.size(); ++level) {
        for (const auto& directory : levels[level]) {
            PutU16(section, static_cast<std::size_t>(directory.offset + DirectoryField::IdCount),
                   static_cast<std::uint32_t>(directory.ids.size()));
            for (std::size_t i = 0; i < directory.ids.size(); ++i) {
                const std::uint64_t target =
                    level + 1 < levels.size()
                        ? (levels[level + 1][directory.targets[i]].offset | DirectoryField::HighBit)
                        : place.dataEntries + DataEntry::EntrySize * directory.targets[i];
                const auto entry = static_cast<std::size_t>(
                    directory.offset + DirectoryField::HeaderSize + DirectoryField::EntrySize * i);
                PutU32(section, entry + DirectoryField::EntryName, directory.ids[i]);
                PutU32(section, entry + DirectoryField::EntryTarget,
                       static_cast<std::uint32_t>(target));
            }
        }
    }
    std::size_t index = 0;
    for (const auto& [key, data] : tree) {
        const auto entry =
            static_cast<std::size_t>(place.dataEntries + DataEntry::EntrySize * index);
        PutU32(section, entry + DataEntry::Rva,
               static_cast<std::uint32_t>(sectionRva + place.dataOffsets[index]));
        PutU32(section, entry + DataEntry::Size, static_cast<std::uint32_t>(data.bytes.size()));
        PutU32(section, entry + DataEntry::CodePage, data.codePage);
        ++index;
    }
    return section;
}

}  // namespace

bool WriteResourceSection(const ResourceTree& tree, std::uint32_t sectionRva, ByteRuns& runs,
                          std::string& error) {
    if (tree.empty()) {
        return Refuse(error, "no resources to write");
    }
    Levels levels = GatherDirectories(tree);
    const Placement place = Place(tree, levels);
    if (place.end + sectionRva >= PeLayout::LargestImage) {
        return Refuse(error, "the resources would take " + std::to_string(place.end) +
                                 " bytes: the image would pass 2 GiB");
    }
    std::vector<std::uint8_t> section = WriteTables(tree, levels, place, sectionRva);
    runs = ByteRuns{};
    std::uint64_t written = section.size();
    AppendOwned(runs, std::move(section));
    std::size_t index = 0;
    for (const auto& [key, data] : tree) {
        const std::uint64_t padding = place.dataOffsets[index++] - written;
        AppendOwned(runs, std::vector<std::uint8_t>(static_cast<std::size_t>(padding), 0));
        AppendView(runs, data.bytes);
        written += padding + data.bytes.size();
    }
    return true;
}
