// Texts every command prints the same way.
#pragma once

#include <chrono>
#include <ostream>
#include <string_view>

// Gives the seconds since started, for the timings commands print.
double SecondsSince(std::chrono::steady_clock::time_point started);

// Prints error (when there is one) and then that nothing was written, each on a line of its own
// under the name of command, and gives code back.
int NothingWritten(std::string_view command, std::string_view error, int code, std::ostream& err);
