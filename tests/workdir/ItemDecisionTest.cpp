// The synchronisation's decision for one listed item: what is passed over or spared without being
// read, what is a stray, and that only a file read whole with its entry's checksum is right.
#include "Launcher/workdir/ItemDecision.h"

#include <gtest/gtest.h>

#include <memory>

#include "Launcher/base/PathRules.h"

namespace {

struct Decide {
    PendingEntries entries;
    int reads = 0;

    Decide() {
        auto empty = std::make_shared<PayloadEntry>();
        empty->relativePath = L"a\\b\\Config.ini";
        entries.emplace(empty->relativePath, empty);
        auto dll = std::make_shared<PayloadEntry>();
        dll->relativePath = L"Plugins\\a.dll";
        dll->contentCrc = 0x1234;
        entries.emplace(dll->relativePath, dll);
    }

    ItemAction operator()(ListedType type, const std::wstring& relativePath,
                          std::optional<std::uint32_t> checksum = std::nullopt) {
        const ItemDecision decision =
            DecideListedItem(type, PathElements(relativePath).back(), relativePath, entries, [&] {
                ++reads;
                return checksum;
            });
        const bool hasEntry = decision.action == ItemAction::Keep ||
                              decision.action == ItemAction::Rewrite ||
                              decision.action == ItemAction::Spare;
        EXPECT_TRUE(decision.entry == (hasEntry ? entries.find(relativePath) : entries.end()));
        EXPECT_EQ(entries.size(), 2u);
        return decision.action;
    }
};

TEST(ItemDecision, PassesOverDirectoriesAndUnknownItemsSparesConfigIniAndDeletesStraysUnread) {
    Decide decide;
    EXPECT_EQ(decide(ListedType::Directory, L"Plugins\\a.dll"), ItemAction::Pass);
    EXPECT_EQ(decide(ListedType::Unknown, L"Plugins\\a.dll"), ItemAction::Pass);
    EXPECT_EQ(decide(ListedType::File, L"Config.ini"), ItemAction::Spare);
    EXPECT_EQ(decide(ListedType::File, L"Sub\\CONFIG.INI"), ItemAction::Spare);
    // Spared even where the payload has a file of that path, in any letter case, whose entry the
    // decision carries so that the caller strikes it: the payload's Config.ini is only a default.
    EXPECT_EQ(decide(ListedType::File, L"a\\b\\Config.ini", 0u), ItemAction::Spare);
    EXPECT_EQ(decide(ListedType::File, L"A\\b\\config.ini", 0u), ItemAction::Spare);
    // Strays are deleted unread too.
    EXPECT_EQ(decide(ListedType::File, L"a\\b\\Config.ini.bak"), ItemAction::Delete);
    EXPECT_EQ(decide(ListedType::File, L"Plugins\\a.dl"), ItemAction::Delete);
    EXPECT_EQ(decide.reads, 0);
}

TEST(ItemDecision, KeepsOnlyAFileReadWholeWithItsEntrysChecksum) {
    Decide decide;
    EXPECT_EQ(decide(ListedType::File, L"Plugins/a.dll", 0x1234u), ItemAction::Keep);
    EXPECT_EQ(decide(ListedType::File, L"plugins\\A.DLL", 0x1234u), ItemAction::Keep);
    EXPECT_EQ(decide(ListedType::File, L"Plugins\\a.dll", 0x1235u), ItemAction::Rewrite);
    EXPECT_EQ(decide(ListedType::File, L"Plugins\\a.dll"), ItemAction::Rewrite);
    EXPECT_EQ(decide.reads, 4);
}

// What the Win32 listing makes of reparse points, seen through the walk both the launcher and the
// diff run: a folder carrying another tag (a cloud-file placeholder) is a folder, listed and
// descended into like any other; only links are passed over unread.
TEST(ItemDecision, WalkTreatsOnlySymbolicLinksAndJunctionsAsLinks) {
    EXPECT_TRUE(IsLinkReparseTag(0xA000000C));
    EXPECT_TRUE(IsLinkReparseTag(0xA0000003));
    EXPECT_TRUE(IsLinkReparseTag(0));
    EXPECT_FALSE(IsLinkReparseTag(0x9000001A));
    EXPECT_FALSE(IsLinkReparseTag(0x80000013));

    Decide decide;
    const std::vector<ListedItem> listing = {
        {"placeholder", L"Plugins", L"Plugins", true, IsLinkReparseTag(0x9000601A)},
        {"placeholder/a.dll", L"Plugins\\a.dll", L"a.dll", false, false},
        {"stray", L"stray.txt", L"stray.txt", false, false},
    };
    std::vector<ItemAction> actions;
    ForEachItemDecision(listing, decide.entries, [&](const ListedItem&, const ItemDecision& d) {
        actions.push_back(d.action);
        return std::optional<LaunchFailure>{};
    });
    EXPECT_EQ(actions,
              (std::vector<ItemAction>{ItemAction::Pass, ItemAction::Rewrite, ItemAction::Delete}));
    EXPECT_EQ(decide.entries.count(L"Plugins\\a.dll"), 0u);
}

}  // namespace
