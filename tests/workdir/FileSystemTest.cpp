// The Win32 file-system helper against real folders: listings that see links and stay out of
// them, removals that take read-only items and never follow links.
#include "Launcher/workdir/FileSystem.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "Launcher/workdir/ItemDecision.h"
#include "tests/workdir/support/WorkdirTestSupport.h"

namespace {

using FileSystemTest = TempFolderTest;

TEST_F(FileSystemTest, ListsDepthFirstWithEachDirectoryBeforeItsContent) {
    MakeDirectories(At(L"a\\b"));
    WriteFileBytes(At(L"a\\b\\deep.txt"), TextBytes("x"));
    WriteFileBytes(At(L"a\\mid.txt"), TextBytes("x"));
    WriteFileBytes(At(L"top.txt"), TextBytes("x"));

    const std::vector<ListedItem> items = ListTree(Folder()).items;
    ASSERT_EQ(items.size(), 5u);
    const auto position = [&items](const std::wstring& path) {
        for (std::size_t i = 0; i < items.size(); ++i) {
            if (items[i].fullPath.native() == path) {
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    const int a = position(At(L"a"));
    const int b = position(At(L"a\\b"));
    const int deep = position(At(L"a\\b\\deep.txt"));
    const int mid = position(At(L"a\\mid.txt"));
    ASSERT_GE(a, 0);
    EXPECT_TRUE(items[a].isDirectory);
    EXPECT_FALSE(items[a].isLink);
    EXPECT_LT(a, b);
    EXPECT_EQ(deep, b + 1);
    EXPECT_GT(mid, a);
    EXPECT_GE(position(At(L"top.txt")), 0);
    // Everything below a comes before a's next sibling at the top level.
    const int top = position(At(L"top.txt"));
    EXPECT_TRUE(top < a || top > std::max(deep, mid));
}

TEST_F(FileSystemTest, GivesEmptyListingForMissingFolder) {
    const TreeListing missing = ListTree(At(L"missing"));
    EXPECT_TRUE(missing.items.empty());
    EXPECT_EQ(missing.stoppedAt, std::filesystem::path(At(L"missing")));
    std::vector<ListedItem> items;
    EXPECT_FALSE(ListDirectory(At(L"missing"), L"", items));
    WriteFileBytes(At(L"file"), TextBytes("x"));
    EXPECT_FALSE(ListDirectory(At(L"file"), L"", items));
    EXPECT_TRUE(items.empty());
}

TEST_F(FileSystemTest, SeesLinksAndNeverDescendsOrRemovesThroughThem) {
    MakeDirectories(At(L"target\\inner"));
    WriteFileBytes(At(L"target\\inner\\kept.txt"), TextBytes("keep"));
    MakeDirectories(At(L"tree"));
    if (!MakeDirectoryLink(At(L"target"), At(L"tree\\link"))) {
        GTEST_SKIP() << "directory links cannot be made here";
    }

    const std::vector<ListedItem> items = ListTree(At(L"tree")).items;
    ASSERT_EQ(items.size(), 1u);
    EXPECT_TRUE(items[0].isLink);
    EXPECT_EQ(items[0].relativePath, L"link");
    EXPECT_EQ(FollowedType(items[0]), ListedType::Directory);
    EXPECT_EQ(IsDirectoryFollowingLinks(At(L"tree\\link")), true);

    // Wine cannot remove a host link, so only what must never happen is checked here: the
    // removal does not go through the link into its target.
    RemoveTree(At(L"tree"));
    EXPECT_TRUE(IsFile(At(L"target\\inner\\kept.txt")));
    if (PathExists(At(L"tree\\link"))) {
        EXPECT_TRUE(RemoveDirectoryLink(At(L"tree\\link")));
    }
}

TEST_F(FileSystemTest, TellsBrokenLinkIsNoDirectory) {
    MakeDirectories(At(L"gone"));
    if (!MakeDirectoryLink(At(L"gone"), At(L"link"))) {
        GTEST_SKIP() << "directory links cannot be made here";
    }
    ASSERT_TRUE(RemoveDirectoryW(At(L"gone").c_str()));
    EXPECT_EQ(IsDirectoryFollowingLinks(At(L"link")), false);
    // Mended first: Wine does not show a broken host link by name, so its removal cannot be seen.
    ASSERT_TRUE(CreateDirectoryW(At(L"gone").c_str(), nullptr));
    EXPECT_TRUE(RemoveDirectoryLink(At(L"link")));
}

TEST_F(FileSystemTest, RemovesReadOnlyAndHiddenItems) {
    WriteFileBytes(At(L"locked.txt"), TextBytes("x"));
    AddAttributes(At(L"locked.txt"), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(RemoveTree(At(L"locked.txt")).removed, 1u);
    EXPECT_FALSE(PathExists(At(L"locked.txt")));

    MakeDirectories(At(L"tree\\sub"));
    WriteFileBytes(At(L"tree\\sub\\r.txt"), TextBytes("x"));
    AddAttributes(At(L"tree\\sub\\r.txt"), FILE_ATTRIBUTE_READONLY);
    AddAttributes(At(L"tree\\sub"), FILE_ATTRIBUTE_READONLY);
    const RemovalResult removal = RemoveTree(At(L"tree"));
    EXPECT_TRUE(removal.ok);
    EXPECT_EQ(removal.removed, 3u);
    EXPECT_FALSE(PathExists(At(L"tree")));
}

TEST_F(FileSystemTest, ReportsWhatCouldNotBeRemoved) {
    const RemovalResult nothing = RemoveTree(At(L"missing"));
    EXPECT_TRUE(nothing.ok);
    EXPECT_EQ(nothing.removed, 0u);

    MakeDirectories(At(L"busy"));
    WriteFileBytes(At(L"busy\\held.txt"), TextBytes("x"));
    HeldFile held(At(L"busy\\held.txt"));
    ASSERT_TRUE(held.Held());
    const RemovalResult removal = RemoveTree(At(L"busy"));
    held.Release();
    EXPECT_FALSE(removal.ok);
    EXPECT_TRUE(IsFile(At(L"busy\\held.txt")));
}

TEST_F(FileSystemTest, CreatesOnlyOneNewLevel) {
    EXPECT_TRUE(CreateSingleDirectory(At(L"one")));
    EXPECT_FALSE(CreateSingleDirectory(At(L"one")));
    EXPECT_FALSE(CreateSingleDirectory(At(L"two\\levels")));
    EXPECT_FALSE(PathExists(At(L"two")));
}

}  // namespace
