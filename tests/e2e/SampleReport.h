// Reads what the sample main application wrote to its test log: how it was started, and the
// activation messages it received.
#pragma once

#include <string>

struct SampleReport {
    std::wstring commandLine;
    int arguments = 0;  // the command line split as the application's runtime splits it
    std::wstring modulePath;
    std::wstring currentDirectory;
    bool ready = false;   // published its activation record
    int activations = 0;  // activation messages received with both parameters 0
    int otherActivations = 0;
    bool exited = false;
};

// Parses the log; a missing log gives an empty report.
SampleReport ReadSampleReport(const std::wstring& log);

// Waits until the log says the application has ended (or timeoutMs passed); tells which.
bool WaitForSampleExit(const std::wstring& log, unsigned timeoutMs);

// Waits until the log says the application has published its activation record.
bool WaitForSampleReady(const std::wstring& log, unsigned timeoutMs);
