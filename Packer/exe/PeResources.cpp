// PE resource lookup without the Windows loader. Every offset read from the file is checked
// against the file's size before use; a damaged file yields a code or an error, never a read
// outside it.
#include "Packer/exe/PeResources.h"

#include <optional>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/payload/PayloadResources.h"
#include "Packer/pe/ByteFields.h"
#include "Packer/pe/PeImage.h"
#include "Packer/rsrc/ResourceTree.h"

namespace {

// The language the launcher asks the loader for when it finds its payload.
constexpr std::uint32_t LoaderLanguage = NIMBREL_RESOURCE_LANGUAGE;

struct DirectoryEntry {
    std::uint32_t id = 0;
    std::uint32_t target = 0;  // from the tree's start; ResourceSubdirectoryBit: a sub-directory
};

// Lists the id-named entries of the directory at offset in the resource tree.
std::vector<DirectoryEntry> IdEntries(const ByteReader& tree, std::uint32_t offset) {
    std::vector<DirectoryEntry> entries;
    const auto named = tree.U16(offset + std::uint64_t{12});
    const auto ids = tree.U16(offset + std::uint64_t{14});
    if (!named || !ids) {
        return entries;
    }
    const std::uint64_t first = offset + std::uint64_t{16} + std::uint64_t{8} * *named;
    for (std::uint32_t i = 0; i < *ids; ++i) {
        const auto name = tree.U32(first + std::uint64_t{8} * i);
        const auto target = tree.U32(first + std::uint64_t{8} * i + 4);
        if (!name || !target) {
            break;
        }
        if ((*name & ResourceSubdirectoryBit) == 0) {
            entries.push_back({*name & 0xFFFF, *target});
        }
    }
    return entries;
}

std::optional<std::uint32_t> FindSubdirectory(const ByteReader& tree, std::uint32_t offset,
                                              std::uint32_t id) {
    for (const auto& entry : IdEntries(tree, offset)) {
        if (entry.id == id && (entry.target & ResourceSubdirectoryBit) != 0) {
            return entry.target & ~ResourceSubdirectoryBit;
        }
    }
    return std::nullopt;
}

struct Lookup {
    const ByteReader& file;
    const ByteReader& tree;
    const PeImage& image;
    std::optional<std::uint32_t> rcdata;
};

// Finds one RT_RCDATA resource; gives the loader's code for it (0 with view set on success).
std::int32_t FindRcdata(const Lookup& lookup, const PayloadResourceSteps& codes, ByteView& view,
                        std::vector<std::string>& warnings) {
    if (!lookup.rcdata) {
        return codes.notFound;
    }
    const auto id = static_cast<std::uint32_t>(codes.id);
    const auto languages = FindSubdirectory(lookup.tree, *lookup.rcdata, id);
    if (!languages) {
        return codes.notFound;
    }
    const auto entries = IdEntries(lookup.tree, *languages);
    const DirectoryEntry* chosen = nullptr;
    for (const auto& entry : entries) {
        const bool leaf = (entry.target & ResourceSubdirectoryBit) == 0;
        if (leaf && (chosen == nullptr || entry.id == LoaderLanguage)) {
            chosen = &entry;
        }
        if (leaf && entry.id == LoaderLanguage) {
            break;
        }
    }
    if (chosen == nullptr) {
        return codes.notFound;
    }
    if (chosen->id != LoaderLanguage) {
        warnings.push_back("resource " + std::to_string(id) + " has no language " +
                           std::to_string(LoaderLanguage) + "; using " + "language " +
                           std::to_string(chosen->id));
    }
    const auto rva = lookup.tree.U32(chosen->target);
    const auto size = lookup.tree.U32(chosen->target + std::uint64_t{4});
    if (!rva || !size) {
        return codes.notLoaded;
    }
    if (static_cast<std::int32_t>(*size) <= 0 ||
        *size < static_cast<std::uint32_t>(codes.minimumSize)) {
        return codes.empty;
    }
    const auto offset = FileOffsetOfRva(lookup.image, *rva, *size);
    if (!offset || !lookup.file.Has(*offset, *size)) {
        return codes.notLoaded;
    }
    view.data = lookup.file.bytes.data() + *offset;
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
    image.sectionAlignment = 1;
    const ByteReader reader{file};
    const auto [treeRva, treeSize] = image.directories[PeDirectoryIndex::Resource];
    ByteReader tree{};
    if (treeRva != 0 && treeSize != 0) {
        if (const auto offset = FileOffsetOfRva(image, treeRva, treeSize);
            offset && reader.Has(*offset, treeSize)) {
            tree.bytes = file.subspan(static_cast<std::size_t>(*offset), treeSize);
        }
    }
    const Lookup lookup{reader, tree, image, FindSubdirectory(tree, 0, ResourceType::Rcdata)};

    payload = ExePayload{};
    payload.loaderCode =
        FindRcdata(lookup, ManifestResourceSteps, payload.views.manifest, payload.warnings);
    if (payload.loaderCode == PayloadCode::Ok) {
        payload.loaderCode =
            FindRcdata(lookup, BlobResourceSteps, payload.views.blob, payload.warnings);
    }
    return true;
}
