// Command dispatch, the tool's help, and the helpers the commands share.
#include "Packer/PackTool.h"

#include <cstdio>

#include "Packer/Commands.h"
#include "Packer/Utf16.h"
#include "launch/FatalText.h"
#include "payload/PayloadCodes.h"

namespace {

constexpr const char* ToolHelp =
    "usage: nimbrel-pack COMMAND [ARGUMENTS]\n"
    "\n"
    "Builds and inspects the payload a launcher carries: a manifest (one record per file) and a\n"
    "blob (the files' zstd frames), embedded as RT_RCDATA resources 48978 and 19266.\n"
    "\n"
    "commands:\n"
    "  pack DIR --manifest FILE --blob FILE [--level N] [--jobs N]\n"
    "                  pack the files of DIR into the two resource files\n"
    "  list SOURCE     print one row per manifest record\n"
    "  check SOURCE    make every check a launcher makes and decompress every file\n"
    "  diff SOURCE DIR say what a start would do to the working folder DIR\n"
    "\n"
    "SOURCE is a built launcher (EXE) or --manifest FILE --blob FILE.\n"
    "'nimbrel-pack COMMAND --help' describes one command.\n"
    "\n"
    "exit codes: 0 done; 1 the folder cannot be packed or the payload is corrupt;\n"
    "2 bad command line, or a file that cannot be read or written.\n";

}  // namespace

int RunPackTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty()) {
        err << ToolHelp;
        return PackExit::Usage;
    }
    const std::string& command = args[0];
    const std::vector<std::string> rest(args.begin() + 1, args.end());
    try {
        if (command == "pack") {
            return RunPack(rest, out, err);
        }
        if (command == "list") {
            return RunList(rest, out, err);
        }
        if (command == "check") {
            return RunCheck(rest, out, err);
        }
        if (command == "diff") {
            return RunDiff(rest, out, err);
        }
    } catch (const std::exception& failure) {
        err << "nimbrel-pack " << command << ": " << failure.what() << "\n";
        return PackExit::Usage;
    }
    if (command == "--help" || command == "-h" || command == "help") {
        out << ToolHelp;
        return PackExit::Ok;
    }
    err << "nimbrel-pack: unknown command \"" << command << "\"\n\n" << ToolHelp;
    return PackExit::Usage;
}

bool SourceFromCommandLine(const CommandLine& line, PayloadSource& source, std::size_t& used,
                           std::string& error) {
    const auto manifest = line.options.find("--manifest");
    const auto blob = line.options.find("--blob");
    const bool files = manifest != line.options.end() || blob != line.options.end();
    if (files) {
        if (manifest == line.options.end() || blob == line.options.end()) {
            error = "--manifest and --blob go together";
            return false;
        }
        source.manifest = PathFromUtf8(manifest->second);
        source.blob = PathFromUtf8(blob->second);
        used = 0;
        return true;
    }
    if (line.positional.empty()) {
        error = "give a launcher EXE or --manifest FILE --blob FILE";
        return false;
    }
    source.exe = PathFromUtf8(line.positional[0]);
    used = 1;
    return true;
}

int LoadCommandPayload(const char* command, const CommandLine& line, bool nameCode,
                       LoadedPayload& payload, std::size_t& used, std::ostream& err) {
    PayloadSource source;
    std::string error;
    if (!SourceFromCommandLine(line, source, used, error) || !LoadPayload(source, payload, error)) {
        err << "nimbrel-pack " << command << ": " << error << "\n";
        return PackExit::Usage;
    }
    for (const auto& warning : payload.warnings) {
        err << "nimbrel-pack " << command << ": warning: " << warning << "\n";
    }
    if (payload.loaderCode != PayloadCode::Ok) {
        const bool manifest = payload.loaderCode < PayloadCode::BlobNotFound;
        const StageError failure =
            SignedStageError(LaunchStage::LoadResources, payload.loaderCode, 0);
        err << "nimbrel-pack " << command << ": the " << (manifest ? "manifest" : "blob")
            << " resource cannot be loaded; a launcher shows error code "
            << (nameCode ? ErrorCodeWithName(failure)
                         : ErrorCodeText(failure.stage, failure.first, failure.second))
            << "\n";
        return PackExit::Rejected;
    }
    return PackExit::Ok;
}

std::optional<int> OpenPayloadCommand(const char* command, std::string_view help,
                                      const std::vector<std::string>& args,
                                      std::size_t extraArguments, bool nameCode, CommandLine& line,
                                      LoadedPayload& payload, std::ostream& out,
                                      std::ostream& err) {
    std::string error;
    if (!ParseCommandLine(args, {"--manifest", "--blob"}, line, error)) {
        err << "nimbrel-pack " << command << ": " << error << "\n\n" << help;
        return PackExit::Usage;
    }
    if (line.help) {
        out << help;
        return PackExit::Ok;
    }
    std::size_t used = 0;
    if (const int code = LoadCommandPayload(command, line, nameCode, payload, used, err);
        code != PackExit::Ok) {
        return code;
    }
    if (line.positional.size() != used + extraArguments) {
        err << "nimbrel-pack " << command << ": wrong number of arguments\n\n" << help;
        return PackExit::Usage;
    }
    return std::nullopt;
}

std::string Hex32(std::uint32_t value) {
    char text[11];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(value));
    return text;
}

std::string ErrorCodeText(std::int32_t stage, std::uint32_t first, std::uint32_t second) {
    return Utf16ToUtf8(StageErrorText(StageError{stage, first, second}));
}

std::string ErrorCodeWithName(const StageError& error) {
    const std::string code = ErrorCodeText(error.stage, error.first, error.second);
    if (error.stage == LaunchStage::LoadResources) {
        return code + " (" + PayloadCode::Name(static_cast<std::int32_t>(error.first)) + ")";
    }
    if (error.stage >= LaunchStage::ParseRecord) {
        // These stages carry the code negated, as a positive number.
        return code + " (" + PayloadCode::Name(static_cast<std::int32_t>(0u - error.second)) + ")";
    }
    return code;
}
