// Splits a command's arguments into positional values and options. An option takes one value,
// given as "--name value" or "--name=value", unless the command knows it as a flag, which takes
// none; "--help" and "-h" ask for help.
#pragma once

#include <map>
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

// Parses args against the options the command knows. Returns false with error for an unknown
// option, one given twice or one without its value. "--" ends the options.
bool ParseCommandLine(const std::vector<std::string>& args,
                      const std::vector<std::string_view>& known, CommandLine& line,
                      std::string& error);
// The same, with the flags the command knows; a flag given twice is an error too.
bool ParseCommandLine(const std::vector<std::string>& args,
                      const std::vector<std::string_view>& known,
                      const std::vector<std::string_view>& knownFlags, CommandLine& line,
                      std::string& error);

// Gives the number of files compressed at once unless --jobs says otherwise: the hardware threads.
long DefaultJobs();

// Reads an option as a whole decimal number in [low, high]. Returns false with error otherwise.
bool ParseNumberOption(const CommandLine& line, std::string_view name, long low, long high,
                       long& value, std::string& error);
