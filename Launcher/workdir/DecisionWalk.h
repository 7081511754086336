// The walk over a working folder's listing that both the launcher and nimbrel-pack's diff run:
// the same items, in the same order, with the same decision for each. The launcher acts on the
// decisions; the diff records them. Portable.
#pragma once

#include <functional>
#include <optional>
#include <vector>

#include "Launcher/payload/PendingEntries.h"
#include "Launcher/report/LaunchFailure.h"
#include "Launcher/workdir/ItemDecision.h"
#include "Launcher/workdir/Listing.h"

// Acts on (or records) the decision for one item; a failure ends the walk.
using DecisionHandler =
    std::function<std::optional<LaunchFailure>(const ListedItem&, const ItemDecision&)>;

// Gives what a listed item is with links followed, asking the file system only about links.
ListedType FollowedType(const ListedItem& item);

// Decides each item of listing in order and hands the decision to handle. beforeDeciding, when
// given, runs on each item first (the launcher resets the item's attributes there). Once handled,
// an item's entry (the one with its path) is taken out of entries. Stops at the first failure
// that handle returns and gives it back.
std::optional<LaunchFailure> ForEachItemDecision(
    const std::vector<ListedItem>& listing, PendingEntries& entries, const DecisionHandler& handle,
    const std::function<void(const ListedItem&)>& beforeDeciding = {});
