#pragma once
// Small text helpers that several places need, written once.
#include <string>
#include <vector>

// Lower case for ASCII letters; other characters stay as they are.
std::string Lower(std::string text);
std::wstring Lower(std::wstring text);
// Text that is known to be ASCII (version numbers, host names from the build), made wide.
std::wstring Widen(const std::string& ascii);
// The folder part of a Windows path, without its last backslash; "." when it has none.
std::wstring FolderOf(const std::wstring& path);
bool EndsWith(const std::string& text, const std::string& end);
bool EndsWith(const std::wstring& text, const std::wstring& end);
// A path and a name below it, joined with one backslash.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
// "\"text\"": for a path on a command line.
std::wstring Quoted(const std::wstring& text);
// The parts of text between separators, as a getline loop reads them: no
// part after a separator at the very end.
std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator);

// Whether name can be a file's name in a folder, and nothing else: not
// empty, "." or "..", no reserved device name, no path or forbidden
// characters, no trailing dot or blank (Windows would drop them).
bool IsSafeFileName(const std::string& name);

// 64 hex digits, as a SHA-256 is written.
bool IsSha256Hex(const std::string& text);
