// The checksum of files on disk, including files that cannot be opened or read.
#include "Launcher/workdir/FileChecksum.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <ios>
#include <istream>
#include <streambuf>

#include "Launcher/payload/Crc32c.h"
#include "tests/workdir/support/WorkdirTestSupport.h"

namespace {

using FileChecksumTest = TempFolderTest;

TEST_F(FileChecksumTest, ChecksumsWholeFileInPieces) {
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{65535},
                                   std::size_t{65536}, std::size_t{65537}, std::size_t{200000}}) {
        const Bytes bytes = SeededBytes(static_cast<std::uint32_t>(size), size);
        WriteFileBytes(At(L"f.bin"), bytes);
        EXPECT_EQ(ComputeFileChecksum(At(L"f.bin")), Crc32c(0, bytes.data(), bytes.size())) << size;
    }
}

TEST_F(FileChecksumTest, GivesNothingForFileThatCannotBeOpenedOrRead) {
    EXPECT_EQ(ComputeFileChecksum(At(L"missing.bin")), std::nullopt);
    MakeDirectories(At(L"dir"));
    EXPECT_EQ(ComputeFileChecksum(At(L"dir")), std::nullopt);

    WriteFileBytes(At(L"held.bin"), SeededBytes(5, 100));
    HeldFile held(At(L"held.bin"));
    ASSERT_TRUE(held.Held());
    EXPECT_EQ(ComputeFileChecksum(At(L"held.bin")), std::nullopt);
}

// Serves its bytes, then fails as a file read that goes wrong does: libstdc++'s file buffer
// throws from underflow, and the stream turns that into badbit.
class FailingBuffer : public std::streambuf {
public:
    FailingBuffer(Bytes bytes, std::size_t failAt) : bytes_(std::move(bytes)), failAt_(failAt) {}

protected:
    int_type underflow() override {
        if (served_ >= failAt_) {
            throw std::ios_base::failure("read error");
        }
        const std::size_t end = std::min(failAt_, bytes_.size());
        if (served_ >= end) {
            return traits_type::eof();
        }
        const std::size_t piece = std::min<std::size_t>(4096, end - served_);
        char* start = reinterpret_cast<char*>(bytes_.data()) + served_;
        setg(start, start, start + piece);
        served_ += piece;
        return traits_type::to_int_type(*start);
    }

private:
    Bytes bytes_;
    std::size_t failAt_;
    std::size_t served_ = 0;
};

TEST(FileChecksumStream, GivesNothingWhenReadFailsPartWay) {
    const Bytes bytes = SeededBytes(6, 100000);
    FailingBuffer whole(bytes, SIZE_MAX);
    std::istream wholeStream(&whole);
    EXPECT_EQ(ComputeStreamChecksum(wholeStream), Crc32c(0, bytes.data(), bytes.size()));

    // The first piece reads whole; the failure comes in the second.
    FailingBuffer partWay(bytes, 70000);
    std::istream partWayStream(&partWay);
    EXPECT_EQ(ComputeStreamChecksum(partWayStream), std::nullopt);
}

}  // namespace
