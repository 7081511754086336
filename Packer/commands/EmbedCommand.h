// nimbrel-pack embed: writes a release launcher from a built launcher and a payload, with an
// optional version and icon, byte for byte the same on every machine.
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the command on the arguments after its name; returns a PackExit code.
int RunEmbed(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
