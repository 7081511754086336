// nimbrel-pack as a function, so that tests can run its commands without a process: pack a
// folder into the two payload resources, list and check a payload, and predict what a start
// would do to a working folder.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "Packer/cli/ExitCodes.h"

// Runs the tool with args (UTF-8, without the program name): results go to out, progress,
// warnings and errors to err. Returns a PackExit code.
int RunPackTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
