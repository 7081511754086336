#include "tests/support/HeldFile.h"

#include <windows.h>

#include <gtest/gtest.h>

HeldFile::HeldFile(const std::wstring& path, bool forWriting)
    : handle_(CreateFileW(path.c_str(), GENERIC_READ | (forWriting ? GENERIC_WRITE : 0), 0, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!Held()) {
        ADD_FAILURE() << "cannot hold " << path << " open";
    }
}

HeldFile::~HeldFile() {
    Release();
}

bool HeldFile::Held() const {
    return handle_ != INVALID_HANDLE_VALUE;
}

void HeldFile::Release() {
    if (Held()) {
        CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
    }
}
