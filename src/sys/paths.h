#pragma once
#include <string>

// The machine-wide work folder ("MRL7300" under the common application-data
// folder), joined with sub when sub is not empty. Only administrators may
// change it: it is created so, and one that others could change is moved
// aside and made anew. Empty when no such folder can be had.
std::wstring GetWorkFolder(const std::wstring& sub);

// A new folder in the work folder for one job, as protected as the work
// folder; empty when it cannot be made. The first call of a process removes
// what earlier runs left behind.
std::wstring CreateJobFolder();

// Removes a folder with everything in it; links are removed, never followed.
void RemoveTree(const std::wstring& path);

// Searches the folder of pattern (and, with descend, each immediate subfolder)
// for an entry named name, ignoring case; returns the first match's full path
// as the file system spells it, or the empty string. Links (reparse points)
// are neither searched nor found.
std::wstring FindFileRecursive(const std::wstring& pattern, const std::wstring& name, bool descend);
