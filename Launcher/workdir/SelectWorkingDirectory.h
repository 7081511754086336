// The choice of the working directory among the candidate base directories.
#pragma once

#include <string>
#include <vector>

// Gives the first candidate joined with "Nimbrel" that passes ProbeDirectoryAccess, creating
// that folder (one level only) where it is missing, or an empty path when none passes. A
// rejected folder is left as it is, whatever it holds.
std::wstring SelectWorkingDirectory(const std::vector<std::wstring>& candidates);
