// The checksum of files on disk that cannot be opened or read, and of a stream in pieces (a right
// file's checksum on disk: the synchronisation's tests).
#include "Launcher/workdir/FileChecksum.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ios>
#include <istream>
#include <streambuf>
#include <vector>

#include "Launcher/payload/Crc32c.h"
#include "tests/workdir/support/WorkdirTestSupport.h"

namespace {

using FileChecksumTest = TempFolderTest;

TEST_F(FileChecksumTest, GivesNothingForFileThatCannotBeOpenedOrRead) {
    EXPECT_EQ(ComputeFileChecksum(At(L"missing.bin")), std::nullopt);
    MakeDirectories(At(L"dir"));
    EXPECT_EQ(ComputeFileChecksum(At(L"dir")), std::nullopt);

    WriteFileBytes(At(L"held.bin"), SeededBytes(5, 100));
    HeldFile held(At(L"held.bin"));
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(ComputeFileChecksum(At(L"held.bin")), std::nullopt);
}

// Serves its bytes and records the size of every read asked of it; a read that would go past
// failAt fails as a file read that goes wrong does: libstdc++'s file buffer throws, and the
// stream turns that into badbit.
class RecordingBuffer : public std::streambuf {
public:
    explicit RecordingBuffer(Bytes bytes, std::size_t failAt = SIZE_MAX)
        : bytes_(std::move(bytes)), failAt_(failAt) {}

    std::vector<std::size_t> reads;

protected:
    std::streamsize xsgetn(char* out, std::streamsize count) override {
        const auto asked = static_cast<std::size_t>(count);
        reads.push_back(asked);
        if (served_ + asked > failAt_) {
            throw std::ios_base::failure("read error");
        }
        const std::size_t piece = std::min(asked, bytes_.size() - served_);
        std::copy_n(bytes_.begin() + static_cast<std::ptrdiff_t>(served_), piece, out);
        served_ += piece;
        return static_cast<std::streamsize>(piece);
    }

private:
    Bytes bytes_;
    std::size_t failAt_;
    std::size_t served_ = 0;
};

// The piece size is spelt here a second time on purpose, so that a change of the launcher's
// constant shows. A file of k whole pieces takes k full reads and one more that finds the end.
TEST(FileChecksumStream, ReadsInPiecesOf65536BytesUntilAReadFindsTheEnd) {
    constexpr std::size_t Piece = 65536;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, Piece - 1, Piece, 3 * Piece, std::size_t{200000}}) {
        const Bytes bytes = SeededBytes(static_cast<std::uint32_t>(size), size);
        RecordingBuffer buffer(bytes);
        std::istream stream(&buffer);
        EXPECT_EQ(ComputeStreamChecksum(stream), Crc32c(0, bytes.data(), bytes.size())) << size;
        EXPECT_EQ(buffer.reads, std::vector<std::size_t>(size / Piece + 1, Piece)) << size;
    }
}

TEST(FileChecksumStream, GivesNothingWhenReadFailsPartWay) {
    // The first piece reads whole; the failure comes in the second.
    RecordingBuffer partWay(SeededBytes(6, 100000), 70000);
    std::istream stream(&partWay);
    EXPECT_EQ(ComputeStreamChecksum(stream), std::nullopt);
    EXPECT_EQ(partWay.reads.size(), 2u);
}

}  // namespace
