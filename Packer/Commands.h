// The tool's commands and the pieces they share. Each command takes its own arguments (after
// the command name) and returns a PackExit code.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>
#include <string>
#include <vector>

#include "Packer/CommandLine.h"
#include "Packer/PayloadInput.h"
#include "payload/PayloadCodes.h"

int RunPack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunList(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunCheck(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
int RunDiff(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// Gives the payload source of a command: the first positional argument as a launcher exe, or
// --manifest with --blob; used tells how many positional arguments it took. Returns false with
// error when neither or both forms are given.
bool SourceFromCommandLine(const CommandLine& line, PayloadSource& source, std::size_t& used,
                           std::string& error);

// Loads the payload of line and prints its warnings; reports a loader failure as the code a
// launcher would show, with the name of the loader's code when nameCode is set. Returns
// PackExit::Ok when views are ready, or the exit code to end with.
int LoadCommandPayload(const char* command, const CommandLine& line, bool nameCode,
                       LoadedPayload& payload, std::size_t& used, std::ostream& err);

// Opens a command that reads a payload: parses args (with --manifest and --blob), prints help
// when asked, loads the payload and checks that exactly extraArguments positional arguments
// follow its source; nameCode as for LoadCommandPayload. Returns nothing when the command goes
// on, or the exit code to end with.
std::optional<int> OpenPayloadCommand(const char* command, std::string_view help,
                                      const std::vector<std::string>& args,
                                      std::size_t extraArguments, bool nameCode, CommandLine& line,
                                      LoadedPayload& payload, std::ostream& out, std::ostream& err);

// Gives value as 0x followed by eight upper-case hex digits.
std::string Hex32(std::uint32_t value);

// Gives the three-part code of a stage error as a launcher shows it ("5.3.11").
std::string ErrorCodeText(std::int32_t stage, std::uint32_t first, std::uint32_t second);

// Gives the code as ErrorCodeText does and, beside it, the name of the payload code it carries
// ("5.3.11 (range past blob)"); the checksum and record-count stages carry none.
std::string ErrorCodeWithName(const StageError& error);
