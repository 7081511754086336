// The texts that pack and check print for a record path a start takes but that is worth a word.
#include "Packer/payload/RecordNotes.h"

#include "Launcher/base/NameCase.h"

void PrintRecordRemarks(std::string_view prefix, std::string_view shown,
                        std::wstring_view relativePath, std::wstring_view name, std::ostream& err) {
    if (relativePath.size() > LongRelativePath) {
        err << prefix << "warning: " << shown << ": the path is " << relativePath.size()
            << " UTF-16 code units long; below a per-user folder such as "
               "C:\\Users\\<name>\\AppData\\Local\\Nimbrel it can pass the 260 characters "
               "that Windows allows the launcher, and a start then fails to write it\n";
    }
    if (IsSparedName(name)) {
        err << prefix << "note: " << shown << ": a default, written only where the user has none\n";
    }
}
