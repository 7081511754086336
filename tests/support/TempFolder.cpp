#include "tests/support/TempFolder.h"

#include <atomic>
#include <cctype>
#include <cstdlib>
#include <random>

namespace {

// The folder of the test running now. A death test's child process runs the test from the start
// and ends through exit() without TearDown; removing the folder at exit cleans up after it.
std::filesystem::path CurrentFolder;

void RemoveCurrentFolder() {
    if (!CurrentFolder.empty()) {
        RemoveTestFolder(CurrentFolder);
    }
}

}  // namespace

void TempFolderTest::SetUp() {
    static std::atomic<unsigned> serial{0};
    static const int registered = std::atexit(RemoveCurrentFolder);
    (void)registered;
    std::random_device device;
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '-';
        }
    }
    root = std::filesystem::temp_directory_path() /
           ("nimbrel-" + name + "-" + std::to_string(device()) + "-" + std::to_string(serial++));
    std::error_code error;
    ASSERT_TRUE(std::filesystem::create_directories(root, error)) << root << ": " << error;
    CurrentFolder = root;
}

void TempFolderTest::TearDown() {
    CurrentFolder.clear();
    EXPECT_TRUE(RemoveTestFolder(root)) << "could not remove " << root;
}

std::wstring TempFolderTest::Folder() const {
    return root.wstring();
}

std::wstring TempFolderTest::At(const std::wstring& relative) const {
    return (root / relative).wstring();
}
