// The tool's commands. Each takes its own arguments (after the command name) and returns a
// PackExit code.
#pragma once

#include <ostream>
#include <string>
#include <vector>

int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunDiff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
