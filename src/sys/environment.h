#pragma once
// Environment blocks for the programs the installer starts. Portable.
#include <string>
#include <utility>
#include <vector>

// The variables of an environment block ("A=1\0B=2\0\0"), with the named
// ones (matched without regard to case) set to the given values, added when
// missing; a block again, ending in two NULs.
std::wstring EnvironmentWith(const std::wstring& block,
                             const std::vector<std::pair<std::wstring, std::wstring>>& values);
