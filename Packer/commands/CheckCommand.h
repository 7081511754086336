// nimbrel-pack check: makes every check a launcher makes on a payload (the checks themselves are
// in cli/PayloadChecks.h, shared with embed), or tells whether a launcher has none.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the command on the arguments after its name; returns a PackExit code.
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
