// nimbrel-pack list: lists the records of a payload.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the command on the arguments after its name; returns a PackExit code.
int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
