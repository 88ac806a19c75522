#pragma once
// The program's command line, for people who install it on many PCs without
// clicking: the switches of quiet/switches.h made into the run's choices.
// Portable: the caller splits the command line into arguments.
#include <string>
#include <vector>

#include "install/jobs.h"
#include "sys/run_choices.h"

// Switches start with '/' or '-' and are matched without regard to case.
// Choosing a job this build does not offer is a usage error too. The mode
// and what follows from it are left as a window's.
RunChoices ParseCommandLine(const std::vector<std::wstring>& arguments);

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

// What a run with these switches does. Without a visible desktop (a
// service's session 0, where deployment tools start the program as SYSTEM)
// a window nobody could see acts as quiet.
RunMode ModeOf(const RunChoices& run, bool desktopVisible);
// Whether the mode leaves the user no window to answer: no prompt, no message box.
inline bool Unattended(RunMode mode) { return mode != RunMode::Window; }

// The whole of the run's choices, made once: the switches, the mode, and
// what an unattended run needs (nobody asked; the machine's proxy, through WinHTTP).
RunChoices ChooseRun(const std::vector<std::wstring>& arguments, bool desktopVisible);

// Whether the job runs in quiet, passive or layout mode: chosen, or none chosen and offered.
bool Chosen(const RunChoices& run, const Job& job);

// What /? shows.
std::wstring UsageText();
