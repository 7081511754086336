// The depth-first walk of the listing over the platform's one-folder enumeration.
#include "Launcher/workdir/Listing.h"

namespace {

// Lists folder, then each real directory below each item right after that item. Returns false
// once a folder could not be listed whole (stoppedAt names it); nothing after that is appended.
bool AppendTree(const std::filesystem::path& folder, const std::wstring& relativeFolder,
                TreeListing& listing) {
    std::vector<ListedItem> level;
    const bool whole = ListDirectory(folder, relativeFolder, level);
    for (const ListedItem& item : level) {
        listing.items.push_back(item);
        if (item.isDirectory && !item.isLink &&
            !AppendTree(item.fullPath, item.relativePath, listing)) {
            return false;
        }
    }
    if (!whole) {
        listing.stoppedAt = folder;
    }
    return whole;
}

}  // namespace

bool IsLinkReparseTag(std::uint32_t tag) {
    constexpr std::uint32_t MountPoint = 0xA0000003;    // IO_REPARSE_TAG_MOUNT_POINT
    constexpr std::uint32_t SymbolicLink = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK
    return tag == 0 || tag == MountPoint || tag == SymbolicLink;
}

TreeListing ListTree(const std::filesystem::path& folder) {
    TreeListing listing;
    AppendTree(folder, L"", listing);
    return listing;
}
