// The payload files not yet found right or written, keyed by relative path with the element-wise
// equality of paths (case matters, runs of either separator count as one).
#pragma once

#include <memory>
#include <string>
#include <unordered_map>

#include "Launcher/base/PathRules.h"
#include "Launcher/payload/PayloadEntry.h"

using PendingEntries =
    std::unordered_map<std::wstring, std::shared_ptr<PayloadEntry>, PathKeyHasher, PathKeyEquality>;
