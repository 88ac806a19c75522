#include <gtest/gtest.h>

#include "sys/os_version.h"

TEST(OsVersion, ClassifiesByFirstTwoComponents) {
    using V = WindowsVersion;
    const struct { const wchar_t* version; V expected; } cases[] = {
        {L"10.0.22631", V::Win10}, {L"10.0.19045", V::Win10}, {L"10.0", V::Win10}, {L"6.3.9600", V::Win81},
        {L"6.2.9200", V::Win8},    {L"6.1.7601", V::Win7},    {L"6.0.6002", V::Vista},
        {L"5.2.3790", V::XpX64OrServer2003}, {L"5.1.2600", V::Xp}, {L"5.0.2195", V::Win2000},
        {L"4.0.1381", V::Nt4},     {L"4.90", V::Nt4},         {L"4.", V::Unknown},
        // Newer than any this program knows: the newest known, not unknown.
        {L"10.1", V::Win10},       {L"11.0", V::Win10},       {L"12.3.4", V::Win10},
        {L"06.1", V::Unknown},     {L"6.01", V::Unknown},     {L"6.", V::Unknown},   {L"6.4", V::Unknown},
        {L"10", V::Unknown},       {L"", V::Unknown},         {L".", V::Unknown},    {L"..", V::Unknown},
        {L"6..1", V::Unknown},     {L" 6.1", V::Unknown},     {L"6.1 ", V::Unknown}, {L"a.b.c", V::Unknown},
        {L"11.x", V::Unknown},     {L"6.1.", V::Win7},        {L"4..", V::Nt4},
    };
    for (const auto& c : cases) EXPECT_EQ(ClassifyOsVersion(c.version), c.expected) << c.version;
    // Date order, so that "at least Windows 7" reads as it says.
    EXPECT_TRUE(AtLeast(V::Win10, V::Win7));
    EXPECT_TRUE(AtLeast(V::Win7, V::Win7));
    EXPECT_FALSE(AtLeast(V::Vista, V::Win7));
    EXPECT_FALSE(AtLeast(V::Unknown, V::Nt4));
    EXPECT_LT(V::Win2000, V::Xp);
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
