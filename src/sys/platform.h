#pragma once
// The few system services that the portable code needs. Windows implements
// them in platform_win.cpp; the native tests link a controllable fake.
#include <cstddef>
#include <string>

#include "sys/number_format.h"

namespace sys {

// Full path of the running program's executable file, however long.
std::wstring ExecutablePath();

// The running program's file version, "1.2.0.15"; empty when it has none.
std::string GetProgramVersion();

// The program's folder joined with a relative name, joined the way the
// shell's path calls join (one backslash between the parts). An empty name
// gives the folder with a trailing backslash.
std::wstring AppFolderJoin(const std::wstring& name);

// Windows' own System32 folder, without a trailing backslash; empty when it cannot be read.
std::wstring SystemFolder();

// The logged-on user's UI language identifier (LANGID).
unsigned short UserUiLanguage();

// How the user's own locale (not the UI language) writes numbers.
NumberFacts UserNumberFacts();

enum class ReadResult { Ok, CannotOpen, TooLarge };

// Reads a whole file that others may be reading or writing at the same time.
// Files larger than maxBytes are not read.
ReadResult ReadWholeFile(const std::wstring& path, std::size_t maxBytes, std::string& bytes);

// The textual SID of the user this process runs as ("S-1-5-18" for SYSTEM);
// empty when it cannot be read.
std::wstring ProcessUserSid();

// False where the file system keeps no owners and reads every one back as the
// current user (Wine): there an owner proves nothing either way.
bool RecordsOwners();

}  // namespace sys
