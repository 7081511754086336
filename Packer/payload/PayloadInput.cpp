// Payload input from files or from a launcher's PE image.
#include "Packer/payload/PayloadInput.h"

#include <fstream>
#include <system_error>

#include "Launcher/base/Utf16.h"
#include "Launcher/payload/PayloadFormat.h"
#include "Launcher/payload/PayloadResources.h"
#include "Packer/exe/PeResources.h"

bool ReadFileBytes(const std::filesystem::path& path, std::vector<std::uint8_t>& bytes,
                   std::string& error) {
    std::error_code failure;
    const std::uint64_t size = std::filesystem::file_size(path, failure);
    if (failure) {
        error = PathToUtf8(path) + ": cannot be read: " + failure.message();
        return false;
    }
    if (size > static_cast<std::uint64_t>(PayloadFormat::LargestResourceSize)) {
        error = PathToUtf8(path) + ": is 2 GiB or larger, more than any file this tool reads";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    bytes.resize(static_cast<std::size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(size));
    if (!in || static_cast<std::uint64_t>(in.gcount()) != size) {
        error = PathToUtf8(path) + ": cannot be read";
        return false;
    }
    return true;
}

bool LoadPayload(const PayloadSource& source, LoadedPayload& payload, std::string& error) {
    payload = LoadedPayload{};
    if (!source.exe.empty()) {
        if (!ReadFileBytes(source.exe, payload.exeBytes, error)) {
            return false;
        }
        ExePayload found;
        if (!FindPayloadInExe(payload.exeBytes, found, error)) {
            error = PathToUtf8(source.exe) + ": " + error;
            return false;
        }
        payload.views = found.views;
        payload.loaderCode = found.loaderCode;
        payload.warnings = std::move(found.warnings);
        return true;
    }
    if (!ReadFileBytes(source.manifest, payload.manifestBytes, error) ||
        !ReadFileBytes(source.blob, payload.blobBytes, error)) {
        return false;
    }
    if (payload.manifestBytes.size() < std::size_t{ManifestResourceSteps.minimumSize}) {
        payload.loaderCode = ManifestResourceSteps.empty;
    } else if (payload.blobBytes.size() < std::size_t{BlobResourceSteps.minimumSize}) {
        payload.loaderCode = BlobResourceSteps.empty;
    } else {
        payload.views = ViewsOf(payload.manifestBytes, payload.blobBytes);
    }
    return true;
}
