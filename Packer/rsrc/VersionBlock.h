// The version block resource (VS_VERSIONINFO) as a tree of nodes, read and written back, and the
// change embed makes to it: the fixed file or product version and its matching string. Portable.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct VersionNode {
    std::u16string key;
    std::uint16_t type = 0;  // 1: the value is text (its length counts UTF-16 units), 0: bytes
    std::vector<std::uint8_t> value;
    std::vector<VersionNode> children;
};

using VersionNumber = std::array<std::uint16_t, 4>;

// Reads "A.B.C.D", each part a decimal number from 0 to 65535. Returns nothing otherwise.
std::optional<VersionNumber> ParseVersionNumber(std::string_view text);

// Reads a version block. Returns false with error when a node's length, key or value does not
// fit inside its parent, or the nesting is deeper than a version block has.
bool ReadVersionBlock(std::span<const std::uint8_t> bytes, VersionNode& root, std::string& error);

// Writes the block: each node's key and value, then its children, each started on a four-byte
// boundary, with lengths that cover the node and its children.
std::vector<std::uint8_t> WriteVersionBlock(const VersionNode& root);

enum class VersionField { File, Product };

// Sets the file or product version in the fixed information and as the "FileVersion" or
// "ProductVersion" string of every string table (added where a table lacks it). Returns false
// with error when the block has no fixed information or no string table.
bool SetVersion(VersionNode& root, VersionField field, const VersionNumber& version,
                std::string& error);

// Gives the string named key from the first string table that has it, or nothing.
std::optional<std::u16string> VersionString(const VersionNode& root, std::u16string_view key);
