// Opening a command that reads a payload: its source from the command line, the load, and the
// messages every such command prints the same way.
#include "Packer/cli/PayloadCommand.h"

#include "Launcher/base/ResourceIds.h"
#include "Launcher/base/Utf16.h"
#include "Launcher/payload/PayloadCodes.h"
#include "Packer/cli/CodeText.h"
#include "Packer/cli/ExitCodes.h"

namespace {

// Gives the payload source of a command: the first positional argument as a launcher exe, or
// --manifest with --blob; used tells how many positional arguments it took. Returns false with
// error when neither or both forms are given.
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

}  // namespace

int LoadCommandPayload(const char* command, const CommandLine& line, LoadedPayload& payload,
                       std::size_t& used, std::ostream& err) {
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
        const std::string code =
            ErrorCodeWithName(SignedStageError(LaunchStage::LoadResources, payload.loaderCode, 0));
        if (payload.loaderCode == PayloadCode::ManifestNotFound && !payload.exeBytes.empty()) {
            // The launcher as built without a payload, the one releases embed into.
            err << "nimbrel-pack " << command << ": no payload: this launcher carries no payload "
                << "manifest (RT_RCDATA " NIMBREL_ID_TEXT(NIMBREL_PAYLOAD_MANIFEST_ID)
                << "); 'nimbrel-pack embed' gives it one. Started as it is, it shows error code "
                << code << "\n";
            return PackExit::Rejected;
        }
        err << "nimbrel-pack " << command << ": the " << (manifest ? "manifest" : "blob")
            << " resource cannot be loaded; a launcher shows error code " << code << "\n";
        return PackExit::Rejected;
    }
    return PackExit::Ok;
}

std::optional<int> OpenPayloadCommand(const char* command, std::string_view help,
                                      const std::vector<std::string>& args,
                                      std::size_t extraArguments, CommandLine& line,
                                      LoadedPayload& payload, std::ostream& out,
                                      std::ostream& err) {
    if (const auto done =
            OpenCommandLine(command, help, args, {"--manifest", "--blob"}, {}, line, out, err)) {
        return done;
    }
    std::size_t used = 0;
    if (const int code = LoadCommandPayload(command, line, payload, used, err);
        code != PackExit::Ok) {
        return code;
    }
    if (line.positional.size() != used + extraArguments) {
        return UsageError(command, "wrong number of arguments", help, err);
    }
    return std::nullopt;
}
