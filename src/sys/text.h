#pragma once
#include <string>

// Conversions through the system's ANSI code page; text stops at the first NUL.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
