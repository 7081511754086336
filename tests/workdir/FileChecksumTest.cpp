// The checksum of files on disk, including files that cannot be opened or read.
#include "Launcher/workdir/FileChecksum.h"

#include <windows.h>

#include <gtest/gtest.h>

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

// Tells whether a read through another handle of path fails at offset (Wine ignores locks there).
bool ReadFailsAt(const std::wstring& path, DWORD offset) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    char byte = 0;
    DWORD got = 0;
    SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN);
    const BOOL ok = ReadFile(file, &byte, 1, &got, nullptr);
    CloseHandle(file);
    return !ok;
}

TEST_F(FileChecksumTest, GivesNothingWhenReadFailsPartWay) {
    // A lock on the second piece makes the read fail after a good first piece.
    WriteFileBytes(At(L"locked.bin"), SeededBytes(6, 100000));
    HANDLE locker =
        CreateFileW(At(L"locked.bin").c_str(), GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locker, INVALID_HANDLE_VALUE);
    OVERLAPPED range{};
    range.Offset = 70000;
    ASSERT_TRUE(LockFileEx(locker, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1000, 0,
                           &range));
    const bool enforced = ReadFailsAt(At(L"locked.bin"), 70000);
    if (enforced) {
        EXPECT_EQ(ComputeFileChecksum(At(L"locked.bin")), std::nullopt);
    }
    UnlockFileEx(locker, 0, 1000, 0, &range);
    CloseHandle(locker);
    if (!enforced) {
        GTEST_SKIP() << "byte-range locks do not stop reads here";
    }
}

}  // namespace
