// The probe: clear leftovers, then show that a folder can be created and removed and that a file
// can be written, read back unchanged and removed. Probe names are random so that two probes
// never meet on the same names; if the system's random source fails, a seed made from the clocks
// and a counter serves instead, since the names need only differ, not be unpredictable.
#include "Launcher/workdir/ProbeDirectoryAccess.h"

#include <chrono>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <random>
#include <string_view>
#include <system_error>
#include <vector>

#include "Launcher/base/PathRules.h"
#include "Launcher/workdir/FileSystem.h"
#include "Launcher/workdir/ItemDecision.h"

namespace {

constexpr std::wstring_view ProbePrefix = L"test-access-";
constexpr std::wstring_view ProbeFileSuffix = L".file";
constexpr std::wstring_view ProbeFolderSuffix = L".folder";
constexpr std::string_view ProbeMarker = "NimbrelTest";

std::uint32_t DrawSeed() {
    try {
        std::random_device source;
        return source();
    } catch (const std::exception&) {
        static std::uint32_t counter = 0;
        const auto wall = std::chrono::system_clock::now().time_since_epoch().count();
        const auto steady = std::chrono::steady_clock::now().time_since_epoch().count();
        return static_cast<std::uint32_t>(wall) ^ static_cast<std::uint32_t>(steady >> 7) ^
               (++counter * 2654435761u);
    }
}

std::wstring ProbeName(std::uint32_t number, std::wstring_view suffix) {
    std::wstring name(ProbePrefix);
    name += std::to_wstring(number);
    name += suffix;
    return name;
}

bool IsProbeName(std::wstring_view name, std::wstring_view suffix) {
    return name.starts_with(ProbePrefix) && name.ends_with(suffix);
}

// Removes the item at path and everything below it; true when something went and nothing stayed.
bool Removed(const std::wstring& path) {
    const RemovalResult removal = RemoveTree(path);
    return removal.ok && removal.removed != 0;
}

// Removes the probe items that an interrupted earlier start left behind. Returns false when
// folder cannot be listed or a leftover cannot be removed; other entries are left alone.
bool RemoveLeftovers(const std::wstring& folder) {
    std::vector<ListedItem> entries;
    if (!ListDirectory(folder, L"", entries)) {
        return false;
    }
    for (const ListedItem& entry : entries) {
        const ListedType type = FollowedType(entry);
        if (type == ListedType::Unknown) {
            return false;
        }
        const auto suffix = type == ListedType::Directory ? ProbeFolderSuffix : ProbeFileSuffix;
        if (IsProbeName(entry.name, suffix) && !Removed(entry.fullPath.native())) {
            return false;
        }
    }
    return true;
}

// Writes the marker to probeFile, checks its size and reads it back. Returns false on any
// failure; the caller removes the file either way.
bool WriteAndReadBack(const std::wstring& probeFile) {
    const std::filesystem::path path(probeFile);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        if (out.fail() || !out.is_open()) {
            return false;
        }
        out.write(ProbeMarker.data(), static_cast<std::streamsize>(ProbeMarker.size()));
    }
    std::error_code error;
    if (std::filesystem::file_size(path, error) != ProbeMarker.size() || error) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (in.fail() || !in.is_open()) {
        return false;
    }
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size != static_cast<std::streamoff>(ProbeMarker.size())) {
        return false;
    }
    std::vector<char> buffer(ProbeMarker.size(), '\0');
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return std::string_view(buffer.data(), buffer.size()) == ProbeMarker;
}

}  // namespace

bool ProbeDirectoryAccess(const std::wstring& folder) {
    std::mt19937 names(DrawSeed());
    const std::uint32_t fileNumber = static_cast<std::uint32_t>(names());
    const std::uint32_t folderNumber = static_cast<std::uint32_t>(names());
    const std::wstring probeFile = JoinPath(folder, ProbeName(fileNumber, ProbeFileSuffix));
    const std::wstring probeFolder = JoinPath(folder, ProbeName(folderNumber, ProbeFolderSuffix));

    if (PathExists(folder) && IsDirectoryFollowingLinks(folder) == false) {
        RemoveTree(folder);
    }
    try {
        if (!RemoveLeftovers(folder)) {
            return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    if (!CreateSingleDirectory(probeFolder) || !Removed(probeFolder)) {
        return false;
    }
    bool passed = false;
    try {
        passed = WriteAndReadBack(probeFile);
    } catch (const std::exception&) {
        passed = false;
    }
    const bool removed = Removed(probeFile);
    return passed && removed;
}
