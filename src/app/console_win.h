#pragma once
// The program's own command line and where its usage text goes.
#include <string>
#include <vector>

// The arguments after the program's name, split the way the C runtime does.
std::vector<std::wstring> ProgramArguments();

// Text on the standard output the caller gave, else on the console the
// program was started from; false when there is neither.
bool WriteToCaller(const std::wstring& text);

// The usage (after error, when there is one): on the standard output the
// caller gave, on the console the program was started from, else (unless
// quiet) in a message box.
void ShowUsage(const std::wstring& error, bool quiet);
