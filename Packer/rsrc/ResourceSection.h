// Writes a resource tree as the bytes of a resource section, the same bytes for the same tree on
// every machine: no time stamp, no version, entries sorted by id, and one fixed layout (every
// directory breadth first, then the data entries, then the data, each piece of data on an
// eight-byte boundary, all in key order). Portable.
#pragma once

#include <cstdint>
#include <string>

#include "Packer/pe/ByteRuns.h"
#include "Packer/rsrc/ResourceTree.h"

// Gives the section's bytes for a section that will start at sectionRva (the data entries hold
// addresses): the directories and data entries, then views of the tree's data, which must
// outlive section. Returns false with error when the tree is empty or would not fit 32-bit
// offsets.
bool WriteResourceSection(const ResourceTree& tree, std::uint32_t sectionRva, ByteRuns& section,
                          std::string& error);
