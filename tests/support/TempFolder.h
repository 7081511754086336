// The fixture of every test that works in real folders: a fresh folder under the system's
// temporary folder for each test, removed with everything in it afterwards (read-only files and
// links included; on Windows by the launcher's own removal). Portable.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/TestFileSystem.h"

class TempFolderTest : public ::testing::Test {
protected:
    void SetUp() override;
    // Removes the folder; fails the test when something in it cannot be removed.
    void TearDown() override;

    // Gives the folder, and the folder joined with relative, as wide text.
    std::wstring Folder() const;
    std::wstring At(const std::wstring& relative) const;

    std::filesystem::path root;
};
