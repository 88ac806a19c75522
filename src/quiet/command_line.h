#pragma once
// The program's switches, for people who install it on many PCs without
// clicking. Portable: the caller splits the command line into arguments.
#include <string>
#include <vector>

#include "install/jobs.h"

struct CommandLine {
    bool quiet = false;
    bool help = false;
    bool chosen[kJobCount] = {};  // none chosen: all the build offers
    std::wstring language;        // a catalogue section; empty: the UI language's
    std::wstring logFile;         // empty: a new file in the temporary folder
    std::wstring layoutFolder;    // /layout: fill this offline layout instead of installing
    std::wstring sourceFolder;    // /source: the offline layout to install from; empty: beside the program
    bool offline = false;         // /offline: never ask the device service
    std::wstring proxy;           // /proxy HOST:PORT: the proxy every request goes through
    std::wstring error;           // a usage error: nothing may run
};

// Switches start with '/' or '-' and are matched without regard to case.
// Choosing a job this build does not offer is a usage error too.
CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);

// Whether the job runs in quiet or layout mode: chosen, or none chosen and offered.
bool Chosen(const CommandLine& line, const Job& job);

// What /? shows.
std::wstring UsageText();
