// nimbrel-pack diff: says what a start would do to a working folder, without changing it.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the command on the arguments after its name; returns a PackExit code.
int RunDiff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
