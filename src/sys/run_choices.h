#pragma once
// What this run was asked to do: its switches, and what they decide, as one
// value made once when the program starts (quiet/command_line.h) and kept
// in the settings (g_settings.run), where every step reads it. Portable.
#include <array>
#include <string>

#include "build_settings.h"

enum class RunMode {
    Window,   // the user's clicks start the jobs
    Passive,  // the window shows the jobs it starts itself; nothing is asked
    Quiet,    // no window at all
    Layout,   // no window: /layout fills an offline layout
    Detect,   // no window: /detect tells whether the adapter has its drivers
};

// Which library the program's requests go through: WinINet in the user's
// session (the window), WinHTTP where nobody may be asked (quiet, /layout):
// it has the machine's proxy, which SYSTEM needs.
enum class HttpLibrary { WinInet, WinHttp };

struct RunChoices {
    // As the switches say.
    bool quiet = false;
    bool passive = false;         // /passive: the window, its jobs started by themselves, nothing asked
    bool help = false;
    std::array<bool, build::kJobCount> chosen{};  // none chosen: all the build offers
    std::wstring language;        // a catalogue section; empty: the UI language's
    std::wstring logFile;         // empty: the default log
    std::wstring layoutFolder;    // /layout: fill this offline layout instead of installing
    std::wstring sourceFolder;    // /source: the offline layout to install from; empty: beside the program
    bool offline = false;         // /offline: never ask the device service
    bool detect = false;          // /detect: install nothing, tell whether the drivers are there
    std::wstring proxy;           // /proxy HOST:PORT: the proxy every request goes through
    std::wstring error;           // a usage error: nothing may run
    // What follows from them and the desktop.
    RunMode mode = RunMode::Window;
    bool unattended = false;      // nobody may be asked: quiet, /passive, /layout (installers waited for)
    HttpLibrary httpLibrary = HttpLibrary::WinInet;
};
