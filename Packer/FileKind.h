// What an item of the packer's input folder is, without following links: the packer refuses
// links and special files. A link is what the launcher's listing calls one.
#pragma once

#include <filesystem>

enum class FileKind {
    Missing,    // nothing there, or its type cannot be read
    Regular,    // a plain file
    Directory,  // a real directory, safe to descend into
    Link,       // a symbolic link or a junction
    Special,    // a FIFO, socket, device or anything else that is not a plain file
};

// Classifies the item at path itself, not a link's target. Gives Missing when it cannot tell.
FileKind ClassifyItem(const std::filesystem::path& path);
