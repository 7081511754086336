// Holds a file open without sharing, as another program can: while held, no other open of it
// succeeds. Windows only.
#pragma once

#include <string>

class HeldFile {
public:
    // Opens path for reading (and writing, if asked) with no sharing; fails the test when it
    // cannot.
    explicit HeldFile(const std::wstring& path, bool forWriting = false);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Tells whether the file is held.
    bool Held() const;
    // Closes the file before the holder goes.
    void Release();

private:
    void* handle_;
};
