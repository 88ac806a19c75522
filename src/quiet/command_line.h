#pragma once
// The program's switches, for people who install it on many PCs without
// clicking. Portable: the caller splits the command line into arguments.
#include <string>
#include <vector>

#include "install/jobs.h"

struct CommandLine {
    bool quiet = false;
    bool passive = false;         // /passive: the window, its jobs started by themselves, nothing asked
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

// Whether the job runs in quiet, passive or layout mode: chosen, or none chosen and offered.
bool Chosen(const CommandLine& line, const Job& job);

enum class RunMode {
    Window,   // the user's clicks start the jobs
    Passive,  // the window shows the jobs it starts itself; nothing is asked
    Quiet,    // no window at all
    Layout,   // no window: /layout fills an offline layout
};

// What tells whether anybody could see a window of this process.
struct DesktopFacts {
    bool stationRead = false;     // the window station's flags could be read
    bool stationVisible = false;  // and it is the visible one
    bool sessionRead = false;     // the process's session could be read
    unsigned long session = 0;    // 0: the services' session
};
// In the services' session (0) nobody has seen a window since Windows 10
// 1803, though its station says visible; a station that cannot be asked
// counts as seen: a window is what the user started.
bool DesktopVisible(const DesktopFacts& facts);

// What a run with this command line does. Without a visible desktop (a
// service's session 0, where deployment tools start the program as SYSTEM)
// a window nobody could see acts as quiet.
RunMode ModeOf(const CommandLine& line, bool desktopVisible);
// Whether the mode leaves the user no window to answer: no prompt, no message box.
inline bool Unattended(RunMode mode) { return mode != RunMode::Window; }

// What /? shows.
std::wstring UsageText();
