// Launcher templates: what makes a file one, and the resource changes of an embed.
#include "Packer/exe/LauncherTemplate.h"

#include <algorithm>
#include <utility>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/payload/Crc32c.h"
#include "Packer/pe/PeLayout.h"
#include "Packer/pe/PeRebuild.h"
#include "Packer/rsrc/ResourceSection.h"

namespace {

constexpr char16_t LauncherFileName[] = u"Nimbrel.Launcher.exe";

const ResourceKey VersionKey{ResourceType::Version, NIMBREL_VERSION_ID, NIMBREL_RESOURCE_LANGUAGE};

bool IsLauncher(const PeImage& image, const ResourceViews& resources, std::string& error) {
    VersionNode version;
    std::string ignored;
    const auto block = resources.find(VersionKey);
    const bool gui = (image.fileCharacteristics & PeLayout::Coff::ExecutableImage) != 0 &&
                     (image.fileCharacteristics & PeLayout::Coff::DynamicLibrary) == 0 &&
                     image.subsystem == PeLayout::Optional::WindowsGui;
    if (!gui || block == resources.end() ||
        !ReadVersionBlock(block->second.bytes, version, ignored) ||
        VersionString(version, u"OriginalFilename") != LauncherFileName) {
        return Refuse(
            error,
            "not a launcher built by this project (a Windows GUI program whose version block "
            "names Nimbrel.Launcher.exe as its original file name)");
    }
    return true;
}

ResourceDigest Digest(std::span<const std::uint8_t> bytes, std::uint32_t codePage) {
    return {bytes.size(), Crc32c(0, bytes.data(), bytes.size()), codePage};
}

// Reads file as a launcher template without copying its resources.
bool ReadLauncherViews(std::span<const std::uint8_t> file, bool stripSignature, PeImage& image,
                       ResourceViews& resources, std::size_t& resourceSection, std::string& error) {
    return ParsePeImage(file, image, error) && ReadResourceViews(file, image, resources, error) &&
           IsLauncher(image, resources, error) &&
           CheckResourceSectionReplaceable(file, image, stripSignature, resourceSection, error);
}

}  // namespace

bool ReadLauncherTemplate(std::span<const std::uint8_t> file, bool stripSignature,
                          LauncherTemplate& launcher, std::string& error) {
    launcher = LauncherTemplate{};
    ResourceViews views;
    if (!ReadLauncherViews(file, stripSignature, launcher.image, views, launcher.resourceSection,
                           error)) {
        return false;
    }
    launcher.resources = CopyResources(views);
    return true;
}

bool ChangedResources(const LauncherTemplate& launcher, EmbedChanges changes,
                      ResourceTree& resources, std::string& error) {
    resources = launcher.resources;
    std::erase_if(resources, [](const auto& entry) {
        return entry.first.type == ResourceType::Rcdata &&
               (entry.first.id == NIMBREL_PAYLOAD_MANIFEST_ID ||
                entry.first.id == NIMBREL_PAYLOAD_BLOB_ID);
    });
    resources[{ResourceType::Rcdata, NIMBREL_PAYLOAD_MANIFEST_ID, NIMBREL_RESOURCE_LANGUAGE}] =
        ResourceData{std::move(changes.manifest), 0};
    resources[{ResourceType::Rcdata, NIMBREL_PAYLOAD_BLOB_ID, NIMBREL_RESOURCE_LANGUAGE}] =
        ResourceData{std::move(changes.blob), 0};

    if (changes.fileVersion || changes.productVersion) {
        ResourceData& block = resources.at(VersionKey);
        VersionNode version;
        if (!ReadVersionBlock(block.bytes, version, error) ||
            (changes.fileVersion &&
             !SetVersion(version, VersionField::File, *changes.fileVersion, error)) ||
            (changes.productVersion &&
             !SetVersion(version, VersionField::Product, *changes.productVersion, error))) {
            return false;
        }
        block.bytes = WriteVersionBlock(version);
    }
    if (changes.icon != nullptr) {
        ReplaceIconGroup(resources, NIMBREL_ICON_GROUP_ID, NIMBREL_RESOURCE_LANGUAGE,
                         *changes.icon);
    }
    return true;
}

bool RebuildLauncher(std::span<const std::uint8_t> file, const LauncherTemplate& launcher,
                     const ResourceTree& resources, ByteRuns& out, std::string& error) {
    const PeSection& section = launcher.image.sections[launcher.resourceSection];
    ByteRuns runs;
    return WriteResourceSection(resources, section.virtualAddress, runs, error) &&
           RebuildWithResourceSection(file, launcher.image, launcher.resourceSection,
                                      std::move(runs), out, error);
}

ResourceDigests DigestResources(const ResourceTree& tree) {
    ResourceDigests digests;
    for (const auto& [key, data] : tree) {
        digests.emplace_hint(digests.end(), key, Digest(data.bytes, data.codePage));
    }
    return digests;
}

bool CheckRebuiltLauncher(std::span<const std::uint8_t> file, const ResourceDigests& expected,
                          std::string& error) {
    PeImage image;
    ResourceViews views;
    std::size_t section = 0;
    std::string readBack;
    const bool same =
        ReadLauncherViews(file, false, image, views, section, readBack) &&
        std::equal(views.begin(), views.end(), expected.begin(), expected.end(),
                   [](const auto& view, const auto& digest) {
                       return view.first == digest.first &&
                              Digest(view.second.bytes, view.second.codePage) == digest.second;
                   });
    if (!same) {
        error = "the rebuilt launcher does not read back as written" +
                (readBack.empty() ? std::string() : ": " + readBack);
    }
    return same;
}

bool WriteLauncher(std::span<const std::uint8_t> file, const LauncherTemplate& launcher,
                   const ResourceTree& resources, std::vector<std::uint8_t>& out,
                   std::string& error) {
    ByteRuns runs;
    if (!RebuildLauncher(file, launcher, resources, runs, error)) {
        return false;
    }
    out = Flatten(runs);
    return CheckRebuiltLauncher(out, DigestResources(resources), error);
}
