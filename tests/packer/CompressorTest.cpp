// The frames the compressor makes: one single-segment frame per file, with its content size in
// the header and nothing the launcher's decoder would not need.
#include "Packer/payload/Compressor.h"

#include <zstd.h>

#include "Launcher/payload/LittleEndian.h"
#include "tests/packer/PackerTestSupport.h"

namespace {

TEST(CompressContent, GivesOneSingleSegmentFrameWithContentSizeAndNoExtras) {
    // 1.5 MB exceeds level 1's own 512 KB window: the frame must still be single-segment.
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{70000}, std::size_t{1500000}}) {
        const auto content = TextBytes(size, 7);
        const PackedFile packed = Compressed(content, size > 100000 ? 1 : 19);
        ASSERT_GE(packed.frame.size(), 6u);
        EXPECT_EQ(ReadUint32Le(packed.frame.data()), 0xFD2FB528u);
        const std::uint8_t descriptor = packed.frame[4];
        EXPECT_NE(descriptor & 0x20, 0) << "single segment, size " << size;
        EXPECT_EQ(descriptor & 0x04, 0) << "no content checksum";
        EXPECT_EQ(descriptor & 0x03, 0) << "no dictionary id";
        EXPECT_EQ(ZSTD_getFrameContentSize(packed.frame.data(), packed.frame.size()), size);
        EXPECT_EQ(packed.contentSize, static_cast<std::int32_t>(size));

        std::vector<std::uint8_t> decoded(size);
        EXPECT_EQ(ZSTD_decompress(decoded.data(), decoded.size(), packed.frame.data(),
                                  packed.frame.size()),
                  size);
        EXPECT_EQ(decoded, content);
    }
}

}  // namespace
