// The access probe that decides whether a folder can hold the working directory.
#pragma once

#include <string>

// Tells whether folder works as a working directory: leftover probe items of earlier starts are
// removed, then a probe folder is created and removed and a probe file is written, read back
// unchanged and removed. Every failure gives false; nothing is shown and nothing raises. A
// non-directory standing at folder's place is removed (and the probe fails this time).
bool ProbeDirectoryAccess(const std::wstring& folder);
