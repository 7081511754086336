// Resource section writing. The tree's map order is the order the format asks for (ascending ids
// at every level), so one pass over it lays out each level.
#include "Packer/rsrc/ResourceSection.h"

#include <limits>
#include <utility>

#include "Packer/pe/ByteFields.h"

namespace {

constexpr std::uint64_t DirectoryHeader = 16;
constexpr std::uint64_t DirectoryEntry = 8;
constexpr std::uint64_t DataEntry = 16;
constexpr std::uint64_t DataAlignment = 8;

// One directory to write: its entries' ids and, for each, the index of what it points to (a
// directory of the next level, or a data entry below the language level).
struct Directory {
    std::vector<std::uint32_t> ids;
    std::vector<std::size_t> targets;
    std::uint64_t offset = 0;
};

}  // namespace

bool WriteResourceSection(const ResourceTree& tree, std::uint32_t sectionRva, ByteRuns& runs,
                          std::string& error) {
    if (tree.empty()) {
        error = "no resources to write";
        return false;
    }
    // Level 0 is the root; level 1 one directory per type; level 2 one per type and id.
    std::vector<Directory> levels[3];
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

    std::uint64_t at = 0;
    for (auto& level : levels) {
        for (auto& directory : level) {
            directory.offset = at;
            at += DirectoryHeader + DirectoryEntry * directory.ids.size();
        }
    }
    const std::uint64_t dataEntries = at;
    at += DataEntry * tree.size();
    std::vector<std::uint64_t> dataOffsets;
    for (const auto& [key, data] : tree) {
        at = AlignUp(at, DataAlignment);
        dataOffsets.push_back(at);
        at += data.bytes.size();
    }
    if (at + sectionRva > std::numeric_limits<std::uint32_t>::max() / 2) {
        error =
            "the resources would take " + std::to_string(at) + " bytes: the image would pass 2 GiB";
        return false;
    }

    std::vector<std::uint8_t> section(
        static_cast<std::size_t>(dataEntries + DataEntry * tree.size()));
    for (int level = 0; level < 3; ++level) {
        for (const auto& directory : levels[level]) {
            PutU16(section, static_cast<std::size_t>(directory.offset + 14),
                   static_cast<std::uint32_t>(directory.ids.size()));
            for (std::size_t i = 0; i < directory.ids.size(); ++i) {
                const std::uint64_t target =
                    level < 2
                        ? (levels[level + 1][directory.targets[i]].offset | ResourceSubdirectoryBit)
                        : dataEntries + DataEntry * directory.targets[i];
                const auto entry = static_cast<std::size_t>(directory.offset + DirectoryHeader +
                                                            DirectoryEntry * i);
                PutU32(section, entry, directory.ids[i]);
                PutU32(section, entry + 4, static_cast<std::uint32_t>(target));
            }
        }
    }
    std::size_t index = 0;
    for (const auto& [key, data] : tree) {
        const auto entry = static_cast<std::size_t>(dataEntries + DataEntry * index);
        PutU32(section, entry, static_cast<std::uint32_t>(sectionRva + dataOffsets[index]));
        PutU32(section, entry + 4, static_cast<std::uint32_t>(data.bytes.size()));
        PutU32(section, entry + 8, data.codePage);
        ++index;
    }
    runs = ByteRuns{};
    std::uint64_t written = section.size();
    AppendOwned(runs, std::move(section));
    index = 0;
    for (const auto& [key, data] : tree) {
        const std::uint64_t padding = dataOffsets[index++] - written;
        AppendOwned(runs, std::vector<std::uint8_t>(static_cast<std::size_t>(padding), 0));
        AppendView(runs, data.bytes);
        written += padding + data.bytes.size();
    }
    return true;
}
