#pragma once
#include <string>

// Conversions through the system's ANSI code page; text stops at the first NUL.
std::wstring AnsiToWide(const std::string& text);
std::string WideToAnsi(const std::wstring& text);
// The same into UTF-8: for files and pipes that others read as UTF-8.
std::string WideToUtf8(const std::wstring& text);
