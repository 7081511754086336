// Resource section writing. The tree's map order is the order the format asks for (ascending ids
// at every level), so one pass over it lays out each level.
#include "Packer/rsrc/ResourceSection.h"

#include <array>

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

// Gathers the directories and places them breadth first; dataEntries is set to where the data
// entries start, right after them.
Levels LayOutDirectories(const ResourceTree& tree, std::uint64_t& dataEntries) {
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
    dataEntries = 0;
    for (auto& level : levels) {
        for (auto& directory : level) {
            directory.offset = dataEntries;
            dataEntries +=
                DirectoryField::HeaderSize + DirectoryField::EntrySize * directory.ids.size();
        }
    }
    return levels;
}

}  // namespace

bool WriteResourceSection(const ResourceTree& tree, std::uint32_t sectionRva, ByteRuns& runs,
                          std::string& error) {
    if (tree.empty()) {
        return Refuse(error, "no resources to write");
    }
    std::uint64_t dataEntries = 0;
    const Levels levels = LayOutDirectories(tree, dataEntries);
    const std::uint64_t tablesEnd = dataEntries + DataEntry::EntrySize * tree.size();
    std::uint64_t end = tablesEnd;
    for (const auto& [key, data] : tree) {
        end = AlignUp(end, DataAlignment) + data.bytes.size();
    }
    if (end + sectionRva >= PeLayout::LargestImage) {
        return Refuse(error, "the resources would take " + std::to_string(end) +
                                 " bytes: the image would pass 2 GiB");
    }
    runs = ByteRuns{};
    std::vector<std::uint8_t>& tables =
        AppendOwned(runs, std::vector<std::uint8_t>(static_cast<std::size_t>(tablesEnd)));
    for (std::size_t level = 0; level < levels.size(); ++level) {
        for (const auto& directory : levels[level]) {
            PutU16(tables, static_cast<std::size_t>(directory.offset + DirectoryField::IdCount),
                   static_cast<std::uint32_t>(directory.ids.size()));
            for (std::size_t i = 0; i < directory.ids.size(); ++i) {
                const std::uint64_t target =
                    level + 1 < levels.size()
                        ? (levels[level + 1][directory.targets[i]].offset | DirectoryField::HighBit)
                        : dataEntries + DataEntry::EntrySize * directory.targets[i];
                const auto entry = static_cast<std::size_t>(
                    directory.offset + DirectoryField::HeaderSize + DirectoryField::EntrySize * i);
                PutU32(tables, entry + DirectoryField::EntryName, directory.ids[i]);
                PutU32(tables, entry + DirectoryField::EntryTarget,
                       static_cast<std::uint32_t>(target));
            }
        }
    }
    // Each piece of data follows the one before it, aligned; its data entry says where.
    std::uint64_t written = tablesEnd;
    std::size_t entry = static_cast<std::size_t>(dataEntries);
    for (const auto& [key, data] : tree) {
        const std::uint64_t offset = AlignUp(written, DataAlignment);
        PutU32(tables, entry + DataEntry::Rva, static_cast<std::uint32_t>(sectionRva + offset));
        PutU32(tables, entry + DataEntry::Size, static_cast<std::uint32_t>(data.bytes.size()));
        PutU32(tables, entry + DataEntry::CodePage, data.codePage);
        entry += DataEntry::EntrySize;
        AppendOwned(runs, std::vector<std::uint8_t>(static_cast<std::size_t>(offset - written), 0));
        AppendView(runs, data.bytes);
        written = offset + data.bytes.size();
    }
    return true;
}
