#pragma once
// Figures as the user's locale writes them: its decimal sign, its group
// separator and its group sizes. The facts come from the system
// (sys/platform.h); the formatting is ours, so that it is the same in a
// test as on a PC. Portable.
#include <string>
#include <vector>

struct NumberFacts {
    std::wstring decimalSign = L".";
    std::wstring groupSeparator = L",";
    // From the right: the first group's size, then each next one's; with
    // repeatLast the last size goes on to the left ("3;0"), else the rest
    // stays one group ("3"). Empty: no grouping.
    std::vector<int> groups{3};
    bool repeatLast = true;
};

// The facts of Windows' LOCALE_SGROUPING: "3;0", "3;2;0" (India), "3", "0".
void ReadGrouping(const std::wstring& grouping, NumberFacts& facts);

// value (not negative) rounded half up to decimals places, as the locale writes it.
std::wstring FormatNumber(double value, int decimals, const NumberFacts& facts);
