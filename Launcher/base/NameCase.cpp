// The uppercase table comes from the Unicode Character Database as ranges (UpcaseRanges.h), which
// a binary search reads; ASCII, the common case, is answered before the search.
#include "Launcher/base/NameCase.h"

#include <algorithm>
#include <iterator>

#include "Launcher/base/SharedNames.h"
#include "Launcher/base/UpcaseRanges.h"

wchar_t UpcaseUnit(wchar_t unit) {
    const auto code = static_cast<std::uint32_t>(unit) & 0xFFFFu;
    if (code < 0x80) {
        return code >= 'a' && code <= 'z' ? static_cast<wchar_t>(code - 32) : unit;
    }
    const auto* range =
        std::upper_bound(std::begin(UpcaseRanges), std::end(UpcaseRanges), code,
                         [](std::uint32_t value, const UpcaseRange& r) { return value < r.first; });
    if (range == std::begin(UpcaseRanges)) {
        return unit;
    }
    --range;
    if (code > range->last || (code - range->first) % range->step != 0) {
        return unit;
    }
    return static_cast<wchar_t>(static_cast<std::int32_t>(code) + range->offset);
}

bool SameNameIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](wchar_t x, wchar_t y) { return UpcaseUnit(x) == UpcaseUnit(y); });
}

bool IsSparedName(std::wstring_view name) {
    return SameNameIgnoringCase(name, SharedName::SparedFile);
}
