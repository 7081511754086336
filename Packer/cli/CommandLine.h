// Splits a command's arguments into positional values and options. An option takes one value,
// given as "--name value" or "--name=value", unless the command knows it as a flag, which takes
// none; "--help" and "-h" ask for help.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct CommandLine {
    std::vector<std::string> positional;
    std::map<std::string, std::string, std::less<>> options;  // "--level" -> "19"
    std::set<std::string, std::less<>> flags;                 // "--strip-signature"
    bool help = false;
};

// Prints error and then help on err under the name of command. Returns PackExit::Usage.
int UsageError(std::string_view command, std::string_view error, std::string_view help,
               std::ostream& err);

// Parses args against the options and the flags the command knows, and prints help on out when
// it is asked for. An unknown option, an option or flag given twice or an option without its
// value is a bad command line; "--" ends the options. Returns nothing when the command goes on,
// or the exit code to end with after help or a bad command line.
std::optional<int> OpenCommandLine(std::string_view command, std::string_view help,
                                   const std::vector<std::string>& args,
                                   const std::vector<std::string_view>& known,
                                   const std::vector<std::string_view>& knownFlags,
                                   CommandLine& line, std::ostream& out, std::ostream& err);

// Reads an option as a whole decimal number in [low, high]. Returns false with error otherwise.
bool ParseNumberOption(const CommandLine& line, std::string_view name, long low, long high,
                       long& value, std::string& error);
