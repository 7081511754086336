// What a directory item is, without following links: the packer refuses links and special
// files, and the diff must not descend into links, just as the launcher's listing does not.
// On Windows the answer comes from the item's attributes, because libstdc++'s symlink_status
// there does not see links or junctions.
#pragma once

#include <filesystem>

enum class FileKind {
    Missing,    // nothing there, or its type cannot be read
    Regular,    // a plain file
    Directory,  // a real directory, safe to descend into
    Link,       // a symbolic link or a junction (any reparse point on Windows)
    Special,    // a FIFO, socket, device or anything else that is not a plain file
};

// Classifies the item at path itself, not a link's target. Gives Missing when it cannot tell.
FileKind ClassifyItem(const std::filesystem::path& path);
