// Launcher templates: what makes a file one, and the resource changes of an embed.
#include "Packer/LauncherTemplate.h"

#include "Launcher/base/ResourceIds.h"
#include "Packer/PeRebuild.h"
#include "Packer/ResourceSection.h"

namespace {

constexpr char16_t LauncherFileName[] = u"Nimbrel.Launcher.exe";

constexpr std::uint16_t ExecutableImage = 0x0002;
constexpr std::uint16_t DynamicLibrary = 0x2000;
constexpr std::uint16_t WindowsGui = 2;

const ResourceKey VersionKey{ResourceType::Version, NIMBREL_VERSION_ID, NIMBREL_RESOURCE_LANGUAGE};

bool IsLauncher(const LauncherTemplate& launcher, std::string& error) {
    const PeImage& image = launcher.image;
    VersionNode version;
    std::string ignored;
    const auto block = launcher.resources.find(VersionKey);
    const bool gui = (image.fileCharacteristics & ExecutableImage) != 0 &&
                     (image.fileCharacteristics & DynamicLibrary) == 0 &&
                     image.subsystem == WindowsGui;
    if (!gui || block == launcher.resources.end() ||
        !ReadVersionBlock(block->second.bytes, version, ignored) ||
        VersionString(version, u"OriginalFilename") != LauncherFileName) {
        error =
            "not a launcher built by this project (a Windows GUI program whose version block "
            "names Nimbrel.Launcher.exe as its original file name)";
        return false;
    }
    return true;
}

}  // namespace

bool ReadLauncherTemplate(std::span<const std::uint8_t> file, bool stripSignature,
                          LauncherTemplate& launcher, std::string& error) {
    launcher = LauncherTemplate{};
    return ParsePeImage(file, launcher.image, error) &&
           ReadResourceTree(file, launcher.image, launcher.resources, error) &&
           IsLauncher(launcher, error) &&
           CheckResourceSectionReplaceable(file, launcher.image, stripSignature,
                                           launcher.resourceSection, error);
}

bool ChangedResources(const LauncherTemplate& launcher, const EmbedChanges& changes,
                      ResourceTree& resources, std::string& error) {
    resources = launcher.resources;
    std::erase_if(resources, [](const auto& entry) {
        return entry.first.type == ResourceType::Rcdata &&
               (entry.first.id == NIMBREL_PAYLOAD_MANIFEST_ID ||
                entry.first.id == NIMBREL_PAYLOAD_BLOB_ID);
    });
    const auto payload = [&](std::uint32_t id, std::span<const std::uint8_t> bytes) {
        resources[{ResourceType::Rcdata, id, NIMBREL_RESOURCE_LANGUAGE}] =
            ResourceData{std::vector<std::uint8_t>(bytes.begin(), bytes.end()), 0};
    };
    payload(NIMBREL_PAYLOAD_MANIFEST_ID, changes.manifest);
    payload(NIMBREL_PAYLOAD_BLOB_ID, changes.blob);

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

bool WriteLauncher(std::span<const std::uint8_t> file, const LauncherTemplate& launcher,
                   const ResourceTree& resources, std::vector<std::uint8_t>& out,
                   std::string& error) {
    const PeSection& section = launcher.image.sections[launcher.resourceSection];
    std::vector<std::uint8_t> bytes;
    if (!WriteResourceSection(resources, section.virtualAddress, bytes, error) ||
        !RebuildWithResourceSection(file, launcher.image, launcher.resourceSection, bytes, out,
                                    error)) {
        return false;
    }
    LauncherTemplate written;
    std::string readBack;
    if (!ReadLauncherTemplate(out, false, written, readBack) || written.resources != resources) {
        error = "the rebuilt launcher does not read back as written" +
                (readBack.empty() ? std::string() : ": " + readBack);
        return false;
    }
    return true;
}
