#include "Packer/cli/Texts.h"

double SecondsSince(std::chrono::steady_clock::time_point started) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

int NothingWritten(std::string_view command, std::string_view error, int code, std::ostream& err) {
    if (!error.empty()) {
        err << "nimbrel-pack " << command << ": " << error << "\n";
    }
    err << "nimbrel-pack " << command << ": nothing written\n";
    return code;
}
