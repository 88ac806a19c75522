#pragma once
// How an installer is started without the shell: an .exe is its own
// program; an .msi goes to the system's msiexec. Never through the shell's
// verbs, which read the user's own part of the registry.
#include <string>

struct ProgramCommand {
    std::wstring application;  // the file to start, by its full path
    std::wstring commandLine;  // its command line, the program quoted first
};

// systemFolder: Windows' System32 folder, where msiexec.exe is; arguments
// follow the package (its silent switches in quiet mode).
ProgramCommand InstallerCommand(const std::wstring& path, const std::wstring& systemFolder,
                                const std::wstring& arguments);

// A program started with arguments: itself, quoted, then the arguments.
ProgramCommand ProgramWithArguments(const std::wstring& path, const std::wstring& arguments);
