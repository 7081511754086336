// nimbrel-pack as a function, so that tests can run its commands without a process: pack a
// folder into the two payload resources, list and check a payload, and predict what a start
// would do to a working folder.
#pragma once

#include <ostream>
#include <string>
#include <vector>

namespace PackExit {
inline constexpr int Ok = 0;
inline constexpr int Rejected = 1;  // the folder cannot be packed, or the payload is corrupt
inline constexpr int Usage = 2;     // bad command line, or a file that cannot be read or written
}  // namespace PackExit

// Runs the tool with args (UTF-8, without the program name): results go to out, progress,
// warnings and errors to err. Returns a PackExit code.
int RunPackTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
