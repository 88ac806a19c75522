#pragma once
// The program's switches, for people who install it on many PCs without
// clicking. Portable: the caller splits the command line into arguments.
#include <string>
#include <vector>

#include "app/layout.h"

enum Feature { kWifi, kBluetooth, kHotspot, kReceiver };  // the window's order

struct CommandLine {
    bool quiet = false;
    bool help = false;
    bool chosen[kFeatureCount] = {};  // none chosen: all the build offers
    std::wstring language;            // a catalogue section; empty: the UI language's
    std::wstring logFile;             // empty: a new file in the temporary folder
    std::wstring error;               // a usage error: nothing may run
};

// Switches start with '/' or '-' and are matched without regard to case.
CommandLine ParseCommandLine(const std::vector<std::wstring>& arguments);

// Choosing a command this build does not offer is a usage error too.
void RejectUnoffered(CommandLine& line, const bool (&offered)[kFeatureCount]);

// What /? shows.
std::wstring UsageText();
