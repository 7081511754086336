// libFuzzer target over embed's template reader and resource-section writer: the input is taken
// as a launcher to embed into. Any input must be refused, or give an output that reads back as a
// launcher holding exactly the resources written, whose payload the packer's separate PE lookup
// finds byte for byte. The input's last byte picks the payload's size (so the section grows and
// shrinks across alignments), whether the versions are set and whether the icon is replaced.
#include <algorithm>
#include <string_view>

#include "Packer/exe/LauncherTemplate.h"
#include "Packer/exe/PeResources.h"
#include "tests/fuzz/Require.h"

namespace {

bool Same(const ByteView& view, const std::vector<std::uint8_t>& bytes) {
    return view.size == static_cast<std::int32_t>(bytes.size()) &&
           std::equal(bytes.begin(), bytes.end(), view.data);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> file(data, size);
    const std::uint8_t knobs = size == 0 ? 0 : data[size - 1];
    LauncherTemplate launcher;
    std::string error;
    if (!ReadLauncherTemplate(file, (knobs & 1) != 0, launcher, error)) {
        return 0;
    }
    const std::vector<std::uint8_t> manifest(8 + knobs % 7, 0x4D);
    const std::vector<std::uint8_t> blob(4 + std::size_t{knobs} * 1531, 0x42);
    const std::vector<IconImage> icon = {{16, 16, 0, 1, 32, std::vector<std::uint8_t>(68, 7)}};
    EmbedChanges changes;
    changes.manifest = manifest;
    changes.blob = blob;
    if (knobs & 2) {
        changes.fileVersion = VersionNumber{1, 2, 3, knobs};
        changes.productVersion = VersionNumber{65535, 0, 0, 1};
    }
    if (knobs & 4) {
        changes.icon = &icon;
    }
    ResourceTree resources;
    if (!ChangedResources(launcher, changes, resources, error)) {
        return 0;
    }
    std::vector<std::uint8_t> out;
    if (!WriteLauncher(file, launcher, resources, out, error)) {
        // The only refusal left is an image that would pass 2 GiB, which a header can claim.
        Require(error.find("2 GiB") != std::string::npos);
        return 0;
    }
    ExePayload payload;
    Require(FindPayloadInExe(out, payload, error));
    Require(payload.loaderCode == 0);
    Require(Same(payload.views.manifest, manifest) && Same(payload.views.blob, blob));
    return 0;
}
