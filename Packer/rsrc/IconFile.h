// An icon file (.ico) and how it becomes a launcher's icon: one RT_GROUP_ICON resource that
// lists the images, and one RT_ICON resource per image. Portable.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Packer/rsrc/ResourceTree.h"

struct IconImage {
    std::uint8_t width = 0;  // 0 stands for 256
    std::uint8_t height = 0;
    std::uint8_t colourCount = 0;
    std::uint16_t planes = 0;
    std::uint16_t bitCount = 0;
    std::vector<std::uint8_t> bytes;  // a DIB or a PNG image, as the file holds it
};

// Reads the images of an icon file. Returns false with error when the file is not an icon file,
// holds no image, or an image lies outside the file.
bool ReadIconFile(std::span<const std::uint8_t> file, std::vector<IconImage>& images,
                  std::string& error);

// Replaces icon group groupId of the given language, and every RT_ICON it listed, with images:
// they take the lowest RT_ICON ids that no other resource of the language uses.
void ReplaceIconGroup(ResourceTree& tree, std::uint32_t groupId, std::uint32_t language,
                      const std::vector<IconImage>& images);
