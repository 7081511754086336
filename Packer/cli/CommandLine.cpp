// Argument splitting for the tool's commands.
#include "Packer/cli/CommandLine.h"

#include <algorithm>
#include <charconv>
#include <thread>

bool ParseCommandLine(const std::vector<std::string>& args,
                      const std::vector<std::string_view>& known, CommandLine& line,
                      std::string& error) {
    return ParseCommandLine(args, known, {}, line, error);
}

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

long DefaultJobs() {
    const unsigned hardware = std::thread::hardware_concurrency();
    return hardware == 0 ? 1 : static_cast<long>(hardware);
}
