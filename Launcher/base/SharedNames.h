// The names the launcher, the sample application, the packer and the tests share. The main
// application and the users' folders already know them, so none of them ever changes.
#pragma once

namespace SharedName {

// The working folder below each candidate base directory.
inline constexpr wchar_t WorkingFolder[] = L"Nimbrel";
// The main application, started from the working folder.
inline constexpr wchar_t ApplicationExe[] = L"Nimbrel.exe";
// The user's settings file, in any letter case (IsSparedName): spared at any depth, never deleted
// or written over. The macro is the same name as narrow text, for help texts and messages.
#define NIMBREL_SPARED_FILE_NAME "Config.ini"
inline constexpr wchar_t SparedFile[] = L"" NIMBREL_SPARED_FILE_NAME;
// Held by a launcher for its whole process: a second launcher ends at once.
inline constexpr wchar_t LauncherMutex[] = L"{C4EDD596-1F8A-4C46-95AE-13EBB5DAAD57}";
// Held by the running main application: a launcher hands over to it.
inline constexpr wchar_t ApplicationMutex[] = L"{CD8E6C81-9D08-4C79-AD1B-4B3FE937EDD5}";
// The main application's activation record: its window handle and the message to post.
inline constexpr wchar_t ActivationMapping[] = L"Local\\Nimbrel.GUI.MainWindowHWND";

}  // namespace SharedName
