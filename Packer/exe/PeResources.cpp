// PE resource lookup without the Windows loader. Every offset read from the file is checked
// against the file's size before use; a damaged file yields a code or an error, never a read
// outside it.
#include "Packer/exe/PeResources.h"

#include <algorithm>
#include <optional>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/payload/PayloadResources.h"
#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeImage.h"
#include "Packer/pe/PeLayout.h"
#include "Packer/rsrc/ResourceTree.h"

namespace {

namespace DirectoryField = PeLayout::ResourceDirectory;
namespace DataEntry = PeLayout::ResourceDataEntry;

// The language the launcher asks the loader for when it finds its payload.
constexpr std::uint32_t LoaderLanguage = NIMBREL_RESOURCE_LANGUAGE;

bool IsSubdirectory(const ResourceDirectoryEntry& entry) {
    return (entry.target & DirectoryField::HighBit) != 0;
}

// Lists the id-named entries of the directory at offset as the loader reads them: those before
// the first that lies outside the tree, without any named by a string, each id cut to 16 bits.
std::vector<ResourceDirectoryEntry> IdEntries(const ByteReader& tree, std::uint32_t offset) {
    auto entries = ReadDirectoryEntries(tree, offset).value_or(ResourceDirectoryEntries{}).ids;
    std::erase_if(entries, [](const auto& entry) { return entry.name & DirectoryField::HighBit; });
    for (auto& entry : entries) {
        entry.name &= DirectoryField::LargestId;
    }
    return entries;
}

std::optional<std::uint32_t> FindSubdirectory(const ByteReader& tree, std::uint32_t offset,
                                              std::uint32_t id) {
    for (const auto& entry : IdEntries(tree, offset)) {
        if (entry.name == id && IsSubdirectory(entry)) {
            return entry.target & ~DirectoryField::HighBit;
        }
    }
    return std::nullopt;
}

struct Lookup {
    std::span<const std::uint8_t> file;
    const ByteReader& tree;
    const PeImage& image;
    std::optional<std::uint32_t> rcdata;
};

// Finds one RT_RCDATA resource; gives the loader's code for it (0 with view set on success).
std::int32_t FindRcdata(const Lookup& lookup, const PayloadResourceSteps& codes, ByteView& view,
                        std::vector<std::string>& warnings) {
    const auto id = static_cast<std::uint32_t>(codes.id);
    const auto languages =
        lookup.rcdata ? FindSubdirectory(lookup.tree, *lookup.rcdata, id) : std::nullopt;
    if (!languages) {
        return codes.notFound;
    }
    auto entries = IdEntries(lookup.tree, *languages);
    std::erase_if(entries, IsSubdirectory);
    if (entries.empty()) {
        return codes.notFound;
    }
    // The loader takes its own language, or else the first there is.
    const auto own = std::find_if(entries.begin(), entries.end(),
                                  [](const auto& entry) { return entry.name == LoaderLanguage; });
    const ResourceDirectoryEntry& chosen = own != entries.end() ? *own : entries.front();
    if (chosen.name != LoaderLanguage) {
        warnings.push_back("resource " + std::to_string(id) + " has no language " +
                           std::to_string(LoaderLanguage) + "; using language " +
                           std::to_string(chosen.name));
    }
    const auto rva = lookup.tree.U32(chosen.target + std::uint64_t{DataEntry::Rva});
    const auto size = lookup.tree.U32(chosen.target + std::uint64_t{DataEntry::Size});
    if (!rva || !size) {
        return codes.notLoaded;
    }
    if (static_cast<std::int32_t>(*size) <= 0 ||
        *size < static_cast<std::uint32_t>(codes.minimumSize)) {
        return codes.empty;
    }
    const auto offset = FileOffsetOfRva(lookup.image, *rva, *size, SectionSpan::Exact);
    if (!offset || !ByteReader{lookup.file}.Has(*offset, *size)) {
        return codes.notLoaded;
    }
    view.data = lookup.file.data() + *offset;
    view.size = static_cast<std::int32_t>(*size);
    return PayloadCode::Ok;
}

}  // namespace

bool FindPayloadInExe(std::span<const std::uint8_t> file, ExePayload& payload, std::string& error) {
    PeImage image;
    if (!ReadPeHeaders(file, image, error)) {
        return false;
    }
    // Sections map by their exact spans: a damaged file's alignments are not trusted.
    const auto [treeRva, treeSize] = image.directories[PeDirectoryIndex::Resource];
    ByteReader tree{};
    if (treeRva != 0 && treeSize != 0) {
        tree.bytes = DirectoryBytes(file, image, PeDirectoryIndex::Resource, SectionSpan::Exact)
                         .value_or(std::span<const std::uint8_t>{});
    }
    const Lookup lookup{file, tree, image, FindSubdirectory(tree, 0, ResourceType::Rcdata)};

    payload = ExePayload{};
    payload.loaderCode =
        FindRcdata(lookup, ManifestResourceSteps, payload.views.manifest, payload.warnings);
    if (payload.loaderCode == PayloadCode::Ok) {
        payload.loaderCode =
            FindRcdata(lookup, BlobResourceSteps, payload.views.blob, payload.warnings);
    }
    return true;
}
