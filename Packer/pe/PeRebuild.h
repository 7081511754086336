// Replaces the resource section of a PE image with new bytes of any size. Sections after it (the
// base relocations, as linkers lay them out) move in the address space and in the file, with the
// data-directory entries that point into them; SizeOfImage, SizeOfInitializedData, the resource
// directory entry and the checksum are made right. Everything before the resource section stays
// byte for byte. Portable.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "Packer/pe/ByteRuns.h"
#include "Packer/pe/PeImage.h"

// Checks that the image's resource section can be replaced without touching anything that refers
// to it or to what follows it, and gives its index. Returns false with error when the resource
// directory does not start a section of its own; when code, the entry point, a data directory
// other than the base relocations, a base relocation or debug data lies in or points into the
// resource section or a later one (moving them would break it); when the image is signed and
// stripSignature is not set; and when bytes follow the last section (an overlay) other than a
// certificate table that is stripped.
bool CheckResourceSectionReplaceable(std::span<const std::uint8_t> file, const PeImage& image,
                                     bool stripSignature, std::size_t& index, std::string& error);

// Gives the image with section index (checked as above) holding the section resources, as runs
// that take over those of resources and view file for the sections after it (file and whatever
// resources views must outlive out); any certificate table is left out. Returns false with error
// when the image would pass 2 GiB.
bool RebuildWithResourceSection(std::span<const std::uint8_t> file, const PeImage& image,
                                std::size_t index, ByteRuns&& resources, ByteRuns& out,
                                std::string& error);
