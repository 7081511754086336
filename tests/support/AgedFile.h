// Sets a file's last-write time to a fixed day in 2001, so that a later rewrite cannot go unseen.
// Windows only.
#pragma once

#include <string>

// Ages the file at path; fails the test when it cannot.
void AgeFile(const std::wstring& path);
