#include "sys/number_format.h"

#include <cmath>
#include <cstdio>

void ReadGrouping(const std::wstring& grouping, NumberFacts& facts) {
    facts.groups.clear();
    facts.repeatLast = false;
    int size = 0;
    bool any = false;
    for (std::size_t i = 0; i <= grouping.size(); ++i) {
        const wchar_t c = i < grouping.size() ? grouping[i] : L';';
        if (c >= L'0' && c <= L'9') {
            size = size * 10 + (c - L'0');
            any = true;
            if (size > 9) size = 9;  // no locale groups more; a bad value is not the end of the run
        } else if (c == L';' && any) {
            if (size == 0) {
                facts.repeatLast = !facts.groups.empty();
                break;
            }
            facts.groups.push_back(size);
            size = 0;
            any = false;
        }
    }
}

std::wstring FormatNumber(double value, int decimals, const NumberFacts& facts) {
    if (!(value >= 0)) value = 0;  // NaN too
    wchar_t text[64] = {};
    std::swprintf(text, 64, L"%.*f", decimals, value);
    std::wstring digits = text, fraction;
    const std::size_t point = digits.find(L'.');
    if (point != std::wstring::npos) {
        fraction = digits.substr(point + 1);
        digits.resize(point);
    }
    std::wstring grouped;
    std::size_t group = 0, inGroup = 0;
    for (std::size_t i = digits.size(); i-- > 0;) {
        const bool grouping = group < facts.groups.size() || (facts.repeatLast && !facts.groups.empty());
        const int size = group < facts.groups.size() ? facts.groups[group] : facts.groups.empty() ? 0 : facts.groups.back();
        if (grouping && size > 0 && inGroup == static_cast<std::size_t>(size)) {
            grouped.insert(0, facts.groupSeparator);
            ++group;
            inGroup = 0;
        }
        grouped.insert(grouped.begin(), digits[i]);
        ++inGroup;
    }
    return fraction.empty() ? grouped : grouped + facts.decimalSign + fraction;
}
