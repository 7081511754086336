// What list, check and diff share before they look at a payload: where it comes from, loading
// it, and the command line around it.
#pragma once

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "Packer/cli/CommandLine.h"
#include "Packer/payload/PayloadInput.h"

// Loads the payload of line and prints its warnings; reports a loader failure as the code a
// launcher would show, with the name of the loader's code. Returns PackExit::Ok when views are
// ready, or the exit code to end with.
int LoadCommandPayload(const char* command, const CommandLine& line, LoadedPayload& payload,
                       std::size_t& used, std::ostream& err);

// Opens a command that reads a payload: parses args (with --manifest and --blob), prints help
// when asked, loads the payload and checks that exactly extraArguments positional arguments
// follow its source. Returns nothing when the command goes on, or the exit code to end with.
std::optional<int> OpenPayloadCommand(const char* command, std::string_view help,
                                      const std::vector<std::string>& args,
                                      std::size_t extraArguments, CommandLine& line,
                                      LoadedPayload& payload, std::ostream& out, std::ostream& err);
