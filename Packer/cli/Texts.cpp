#include "Packer/cli/Texts.h"

#include <cstdio>

std::string Megabytes(std::uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f MB", static_cast<double>(bytes) / 1e6);
    return text;
}

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
