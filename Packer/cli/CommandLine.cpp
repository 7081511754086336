// Argument splitting for the tool's commands.
#include "Packer/cli/CommandLine.h"

#include <algorithm>
#include <charconv>

#include "Packer/cli/ExitCodes.h"

namespace {

bool ParseCommandLine(const std::vector<std::string>& args,
                      const std::vector<std::string_view>& known,
                      const std::vector<std::string_view>& knownFlags, CommandLine& line,
                      std::string& error) {
    line = CommandLine{};
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            line.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            line.help = true;
            continue;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        if (equals == std::string::npos &&
            std::find(knownFlags.begin(), knownFlags.end(), name) != knownFlags.end()) {
            if (!line.flags.insert(name).second) {
                error = "option " + name + " is given twice";
                return false;
            }
            continue;
        }
        if (std::find(known.begin(), known.end(), name) == known.end()) {
            error = "unknown option " + name;
            return false;
        }
        std::string value;
        if (equals != std::string::npos) {
            value = arg.substr(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = "option " + name + " needs a value";
            return false;
        }
        if (!line.options.emplace(name, value).second) {
            error = "option " + name + " is given twice";
            return false;
        }
    }
    return true;
}

}  // namespace

int UsageError(std::string_view command, std::string_view error, std::string_view help,
               std::ostream& err) {
    err << "nimbrel-pack " << command << ": " << error << "\n\n" << help;
    return PackExit::Usage;
}

std::optional<int> OpenCommandLine(std::string_view command, std::string_view help,
                                   const std::vector<std::string>& args,
                                   const std::vector<std::string_view>& known,
                                   const std::vector<std::string_view>& knownFlags,
                                   CommandLine& line, std::ostream& out, std::ostream& err) {
    std::string error;
    if (!ParseCommandLine(args, known, knownFlags, line, error)) {
        return UsageError(command, error, help, err);
    }
    if (line.help) {
        out << help;
        return PackExit::Ok;
    }
    return std::nullopt;
}

bool ParseNumberOption(const CommandLine& line, std::string_view name, long low, long high,
                       long& value, std::string& error) {
    const auto found = line.options.find(name);
    if (found == line.options.end()) {
        return true;
    }
    const std::string& text = found->second;
    long parsed = 0;
    const auto [end, failure] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (failure != std::errc{} || end != text.data() + text.size() || parsed < low ||
        parsed > high) {
        error = "option " + std::string(name) + " needs a whole number from " +
                std::to_string(low) + " to " + std::to_string(high) + ", not \"" + text + "\"";
        return false;
    }
    value = parsed;
    return true;
}
