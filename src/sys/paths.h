#pragma once
#include <string>

// The machine-wide work folder ("MRL7300" under the common application-data
// folder), created on demand, joined with sub when sub is not empty. Empty when
// the application-data folder cannot be found.
std::wstring GetWorkFolder(const std::wstring& sub);

// Searches the folder of pattern (and, with descend, each immediate subfolder)
// for an entry named name, ignoring case; returns the first match's full path
// as the file system spells it, or the empty string.
std::wstring FindFileRecursive(const std::wstring& pattern, const std::wstring& name, bool descend);
