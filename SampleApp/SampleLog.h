// The sample application's test log: UTF-8 lines appended to the file that the environment
// variable NIMBREL_SAMPLE_LOG names. Without that variable nothing is written.
#pragma once

#include <string_view>

// Appends line and a line feed to the log. The file is opened for each line, so that a reader
// sees every line at once and a killed process loses none; a file that cannot be opened or
// written is ignored.
void AppendLogLine(std::wstring_view line);
