#pragma once
#include <string>

// The machine-wide work folder ("MRL7300" under the common application-data
// folder), joined with sub when sub is not empty. Only administrators may
// change it: it is created so, and one that others could change is moved
// aside and made anew. Empty when no such folder can be had. The jobs hold
// it open (sys/job_folder_win.h); this path is for looking.
std::wstring GetWorkFolder(const std::wstring& sub);

// Removes a file, or a folder with everything in it; links are removed as
// themselves, never followed. The path is opened once, the rest is done
// through handles.
void RemoveTree(const std::wstring& path);

// Searches the folder of pattern (and, with descend, each immediate subfolder)
// for an entry named name, ignoring case: the shallowest match wins, then the
// first subfolder in name order. Returns its full path as the file system
// spells it, or the empty string. With descend only files match. Links
// (reparse points) are neither searched nor found.
std::wstring FindFileRecursive(const std::wstring& pattern, const std::wstring& name, bool descend);
