#pragma once
// How an installer is started without the shell: an .exe is its own
// program; an .msi goes to the system's msiexec. Never through the shell's
// verbs, which read the user's own part of the registry.
#include <string>
#include <vector>

// How a file is started: an .exe itself, an .msi through msiexec; anything
// else never.
enum class HowStarted { Itself, ThroughMsiexec, Never };
HowStarted HowStartedOf(const std::wstring& path);

struct ProgramCommand {
    std::wstring application;  // the file to start, by its full path
    std::wstring commandLine;  // its command line, the program quoted first
};

// systemFolder: Windows' System32 folder, where msiexec.exe is; arguments
// follow the package (its silent switches in quiet mode). No application
// (empty) for a file of any other kind.
ProgramCommand InstallerCommand(const std::wstring& path, const std::wstring& systemFolder,
                                const std::wstring& arguments);

// What a Windows Installer package needs besides itself, from its Media
// table: each disk's cabinet ("#name" is one inside the package).
struct MsiMedia {
    bool read = false;                   // the package's tables could be read
    std::vector<std::wstring> cabinets;  // one per Media row; empty: its files lie uncompressed beside it
    unsigned long files = 0;             // rows of its File table
};
// Why the package cannot install from the one downloaded file (cabinets or
// files beside it that no download brings), or empty when it can.
std::string MsiSourceRefusal(const MsiMedia& media);

// A program started with arguments: itself, quoted, then the arguments.
ProgramCommand ProgramWithArguments(const std::wstring& path, const std::wstring& arguments);

