#include <gtest/gtest.h>

#include "sys/os_version.h"

TEST(OsVersion, ClassifiesByFirstTwoComponents) {
    const struct { const wchar_t* version; int code; } cases[] = {
        {L"10.0.22631", 9}, {L"10.0.19045", 9}, {L"10.0", 9},   {L"6.3.9600", 8},
        {L"6.2.9200", 7},   {L"6.1.7601", 6},   {L"6.0.6002", 5}, {L"5.2.3790", 4},
        {L"5.1.2600", 2},   {L"5.0.2195", 3},   {L"4.0.1381", 1}, {L"4.90", 1},
        {L"4.", 0},         {L"10.1", 0},       {L"11.0", 0},   {L"06.1", 0},
        {L"6.01", 0},       {L"6.", 0},         {L"10", 0},     {L"", 0},
        {L".", 0},          {L"..", 0},         {L"6..1", 0},   {L" 6.1", 0},
        {L"6.1 ", 0},       {L"a.b.c", 0},      {L"6.1.", 6},   {L"4..", 1},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyOsVersion(c.version), c.code) << c.version;
}

TEST(OsVersion, SplitsLikeALineReadingLoop) {
    using Parts = std::vector<std::wstring>;
    EXPECT_EQ(SplitVersionComponents(L"10.0.19045"), (Parts{L"10", L"0", L"19045"}));
    EXPECT_EQ(SplitVersionComponents(L""), Parts{});
    EXPECT_EQ(SplitVersionComponents(L"6."), Parts{L"6"});
    EXPECT_EQ(SplitVersionComponents(L"."), Parts{L""});
    EXPECT_EQ(SplitVersionComponents(L"6..1"), (Parts{L"6", L"", L"1"}));
    EXPECT_EQ(SplitVersionComponents(L".1"), (Parts{L"", L"1"}));
}
