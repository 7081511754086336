// Command dispatch and the tool's help.
#include "Packer/PackTool.h"

#include <exception>
#include <string_view>
#include <utility>

#include "Launcher/base/ResourceIds.h"
#include "Launcher/base/Version.h"
#include "Packer/commands/CheckCommand.h"
#include "Packer/commands/DiffCommand.h"
#include "Packer/commands/EmbedCommand.h"
#include "Packer/commands/ListCommand.h"
#include "Packer/commands/PackCommand.h"

namespace {

constexpr const char* ToolHelp =
    "usage: nimbrel-pack COMMAND [ARGUMENTS]\n"
    "\n"
    "Builds and inspects the payload a launcher carries: a manifest (one record per file) and a\n"
    "blob (the files' zstd frames), embedded as RT_RCDATA resources " NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_MANIFEST_ID) " and " NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_BLOB_ID) ".\n"
    "\n"
    "commands:\n"
    "  pack DIR --manifest FILE --blob FILE [--level N] [--jobs N]\n"
    "                  pack the files of DIR into the two resource files\n"
    "  list SOURCE     print one row per manifest record\n"
    "  check SOURCE    make every check a launcher makes and decompress every file\n"
    "  check --expect-no-payload EXE\n"
    "                  succeed only on a launcher without a payload, the one to embed into\n"
    "  diff SOURCE DIR say what a start would do to the working folder DIR\n"
    "  embed EXE (DIR | --manifest FILE --blob FILE) -o OUT.exe [OPTIONS]\n"
    "                  write a launcher carrying a new payload, version and icon\n"
    "\n"
    "SOURCE is a built launcher (EXE) or --manifest FILE --blob FILE.\n"
    "'nimbrel-pack COMMAND --help' describes one command; 'nimbrel-pack --version' gives the\n"
    "version of the project this tool was built from.\n"
    "\n"
    "exit codes: 0 done; 1 the folder cannot be packed, or the payload or launcher is refused;\n"
    "2 bad command line, or a file that cannot be read or written.\n";

}  // namespace

int RunPackTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << ToolHelp;
        return PackExit::Usage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);
    constexpr std::pair<std::string_view, Command> Commands[] = {{"pack", RunPack},
                                                                 {"list", RunList},
                                                                 {"check", RunCheck},
                                                                 {"diff", RunDiff},
                                                                 {"embed", RunEmbed}};
    try {
        for (const auto& [name, run] : Commands) {
            if (command == name) {
                return run(rest, out, err);
            }
        }
    } catch (const std::exception& failure) {
        err << "nimbrel-pack " << command << ": " << failure.what() << "\n";
        return PackExit::Usage;
    }
    if (command == "--version") {
        out << "nimbrel-pack " NIMBREL_VERSION_TEXT "\n";
        return PackExit::Ok;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        out << ToolHelp;
        return PackExit::Ok;
    }
    err << "nimbrel-pack: unknown command \"" << command << "\"\n\n" << ToolHelp;
    return PackExit::Usage;
}
