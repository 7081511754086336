// Version block reading and writing. Node offsets are aligned relative to the block's start,
// which the resource format itself places on a four-byte boundary.
#include "Packer/rsrc/VersionBlock.h"

#include <algorithm>
#include <charconv>

#include "Packer/pe/ByteFields.h"

namespace {

// The deepest node read, the root at depth 0. A resource compiler's block reaches depth 3 (file
// info, table, string below the root); a little more is tolerated, and anything deeper is refused
// before the recursion can run away.
constexpr int DeepestNode = 6;
constexpr std::uint32_t FixedSignature = 0xFEEF04BDu;
constexpr std::size_t FixedInfoSize = 52;

constexpr char Unparsed[] = "the version block does not parse";

// Reads the node at offset, which must end by limit.
bool ReadNode(const ByteReader& block, std::uint64_t at, std::uint64_t limit, int depth,
              VersionNode& node, std::string& error) {
    const auto declared = block.U16(at);
    const auto valueLength = block.U16(at + 2);
    const auto type = block.U16(at + 4);
    if (!declared || !valueLength || !type || *declared < 6 || at + *declared > limit ||
        depth > DeepestNode) {
        return Refuse(error, Unparsed);
    }
    const std::uint64_t end = at + *declared;
    std::uint64_t cursor = at + 6;
    for (; cursor + 2 <= end && *block.U16(cursor) != 0; cursor += 2) {
        node.key += static_cast<char16_t>(*block.U16(cursor));
    }
    if (cursor + 2 > end) {
        return Refuse(error, Unparsed);  // the key has no terminating zero
    }
    node.type = *type;
    const std::uint64_t valueBytes = *type == 1 ? std::uint64_t{*valueLength} * 2 : *valueLength;
    const std::uint64_t valueAt = std::min(AlignUp(cursor + 2, 4), end);
    if (valueAt + valueBytes > end) {
        return Refuse(error, Unparsed);
    }
    node.value.assign(block.bytes.begin() + static_cast<std::ptrdiff_t>(valueAt),
                      block.bytes.begin() + static_cast<std::ptrdiff_t>(valueAt + valueBytes));
    // A child read whole has a length that lies in the block.
    for (std::uint64_t child = AlignUp(valueAt + valueBytes, 4); child < end;
         child = AlignUp(child + *block.U16(child), 4)) {
        if (!ReadNode(block, child, end, depth + 1, node.children.emplace_back(), error)) {
            return false;
        }
    }
    return true;
}

void PadTo4(std::vector<std::uint8_t>& out) {
    out.resize(static_cast<std::size_t>(AlignUp(out.size(), 4)), 0);
}

// Gives text as UTF-16 units ending with a zero unit.
std::vector<std::uint8_t> TextValue(std::u16string_view text) {
    std::vector<std::uint8_t> value(2 * (text.size() + 1), 0);
    for (std::size_t i = 0; i < text.size(); ++i) {
        PutU16(value, 2 * i, text[i]);
    }
    return value;
}

void WriteNode(const VersionNode& node, std::vector<std::uint8_t>& out) {
    const std::size_t start = out.size();
    out.resize(start + 6, 0);
    const std::vector<std::uint8_t> key = TextValue(node.key);
    out.insert(out.end(), key.begin(), key.end());
    PadTo4(out);
    out.insert(out.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) {
        PadTo4(out);
        WriteNode(child, out);
    }
    const std::size_t valueLength = node.type == 1 ? node.value.size() / 2 : node.value.size();
    PutU16(out, start, static_cast<std::uint32_t>(out.size() - start));
    PutU16(out, start + 2, static_cast<std::uint32_t>(valueLength));
    PutU16(out, start + 4, node.type);
}

// Calls visit with every string table: each child of a StringFileInfo node below the root.
template <typename Node, typename Visit>
void ForEachStringTable(Node& root, const Visit& visit) {
    for (Node& info : root.children) {
        if (info.key == u"StringFileInfo") {
            for (Node& table : info.children) {
                visit(table);
            }
        }
    }
}

}  // namespace

std::optional<VersionNumber> ParseVersionNumber(std::string_view text) {
    VersionNumber version{};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (std::size_t i = 0; i < version.size(); ++i) {
        if (i > 0 && (at == end || *at++ != '.')) {
            return std::nullopt;
        }
        unsigned part = 0;
        const auto [next, failure] = std::from_chars(at, end, part);
        if (failure != std::errc{} || part > 0xFFFF) {
            return std::nullopt;
        }
        version[i] = static_cast<std::uint16_t>(part);
        at = next;
    }
    return at == end ? std::optional(version) : std::nullopt;
}

bool ReadVersionBlock(std::span<const std::uint8_t> bytes, VersionNode& root, std::string& error) {
    root = VersionNode{};
    return ReadNode(ByteReader{bytes}, 0, bytes.size(), 0, root, error);
}

std::vector<std::uint8_t> WriteVersionBlock(const VersionNode& root) {
    std::vector<std::uint8_t> out;
    WriteNode(root, out);
    return out;
}

bool SetVersion(VersionNode& root, VersionField field, const VersionNumber& version,
                std::string& error) {
    if (root.value.size() < FixedInfoSize || ByteReader{root.value}.U32(0) != FixedSignature) {
        return Refuse(error, "the version block has no fixed file information");
    }
    const std::size_t at = field == VersionField::File ? 8 : 16;
    PutU32(root.value, at, static_cast<std::uint32_t>(version[0]) << 16 | version[1]);
    PutU32(root.value, at + 4, static_cast<std::uint32_t>(version[2]) << 16 | version[3]);

    const std::u16string key = field == VersionField::File ? u"FileVersion" : u"ProductVersion";
    const std::string number = std::to_string(version[0]) + '.' + std::to_string(version[1]) + '.' +
                               std::to_string(version[2]) + '.' + std::to_string(version[3]);
    bool tables = false;
    ForEachStringTable(root, [&](VersionNode& table) {
        tables = true;
        // The last entry of that name is set; a table without one gets one.
        const auto found = std::find_if(table.children.rbegin(), table.children.rend(),
                                        [&](const VersionNode& entry) { return entry.key == key; });
        VersionNode& text = found != table.children.rend() ? *found : table.children.emplace_back();
        text.key = key;
        text.type = 1;
        text.value = TextValue(std::u16string(number.begin(), number.end()));
    });
    if (!tables) {
        return Refuse(error, "the version block has no string table");
    }
    return true;
}

std::optional<std::u16string> VersionString(const VersionNode& root, std::u16string_view key) {
    const VersionNode* found = nullptr;
    ForEachStringTable(root, [&](const VersionNode& table) {
        for (const VersionNode& entry : table.children) {
            if (found == nullptr && entry.key == key) {
                found = &entry;
            }
        }
    });
    if (found == nullptr) {
        return std::nullopt;
    }
    std::u16string text;
    for (std::size_t i = 0; i + 1 < found->value.size(); i += 2) {
        text += static_cast<char16_t>(found->value[i] | found->value[i + 1] << 8);
    }
    return text.substr(0, text.find(u'\0'));
}
