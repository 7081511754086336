// The per-user base directories the working directory may live under, as the platform names them.
#pragma once

#include <string>
#include <vector>

// Gives the distinct, non-empty local application-data paths that "LOCALAPPDATA" and the three
// shell folder functions report, in ascending path order, with room reserved for one more entry.
// A source that fails contributes nothing; the list may be empty.
std::vector<std::wstring> CollectCandidateDirectories();
