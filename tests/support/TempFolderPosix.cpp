#include <system_error>

#include "tests/support/TempFolder.h"

bool RemoveTestFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return !error;
}
