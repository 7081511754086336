// The texts that pack and check print for a record path a start takes but that is worth a word.
#include "Packer/payload/RecordNotes.h"

#include "Launcher/base/NameCase.h"

std::string_view RecordNote(std::wstring_view name) {
    return IsSparedName(name) ? "a default, written only where the user has none" : "";
}

std::string RecordWarning(std::wstring_view relativePath) {
    if (relativePath.size() <= LongRelativePath) {
        return {};
    }
    return "the path is " + std::to_string(relativePath.size()) +
           " UTF-16 code units long; below a per-user folder such as "
           "C:\\Users\\<name>\\AppData\\Local\\Nimbrel it can pass the 260 characters that "
           "Windows allows the launcher, and a start then fails to write it";
}
