// nimbrel-pack pack: packs a folder into the two payload resources (the packing itself is in
// cli/FolderPacking.h, shared with embed).
#pragma once

#include <ostream>
#include <string>
#include <vector>

// Runs the command on the arguments after its name; returns a PackExit code.
int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
