// The payload files not yet found right or written, keyed by relative path with the element-wise
// equality of paths (letter case ignored as Windows ignores it, runs of either separator count as
// one), so that of two records Windows takes for one file the first is kept.
#pragma once

#include <algorithm>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/PayloadEntry.h"

using PendingEntries =
    std::unordered_map<std::wstring, std::shared_ptr<PayloadEntry>, PathKeyHasher, PathKeyEquality>;

// Gives the entries in manifest order, by record index.
inline std::vector<const PayloadEntry*> InIndexOrder(const PendingEntries& entries) {
    std::vector<const PayloadEntry*> ordered;
    for (const auto& [path, entry] : entries) {
        ordered.push_back(entry.get());
    }
    std::sort(ordered.begin(), ordered.end(),
              [](const PayloadEntry* a, const PayloadEntry* b) { return a->index < b->index; });
    return ordered;
}
