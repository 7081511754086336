// Entry of nimbrel-pack: hands the arguments, as UTF-8, to the tool. On Windows the wide
// arguments are converted so that any file name survives.
#include <iostream>
#include <string>
#include <vector>

#include "Launcher/base/Utf16.h"
#include "Packer/PackTool.h"

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(Utf16ToUtf8(argv[i]));
    }
    return RunPackTool(args, std::cout, std::cerr);
}
#else
int main(int argc, char** argv) {
    return RunPackTool(std::vector<std::string>(argv + 1, argv + argc), std::cout, std::cerr);
}
#endif
