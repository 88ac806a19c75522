#include <gtest/gtest.h>

#include "sys/utf8.h"

TEST(Utf8, DecodesValidText) {
    EXPECT_EQ(Utf8ToWide(""), L"");
    EXPECT_EQ(Utf8ToWide("Install"), L"Install");
    EXPECT_EQ(Utf8ToWide("\xE5\xAE\x89\xE8\xA3\x9D"), L"\u5B89\u88DD");  // 安裝
    EXPECT_EQ(Utf8ToWide("\xC3\xBC\xC3\x9F"), L"\u00FC\u00DF");
    EXPECT_EQ(Utf8ToWide("\xEF\xBB\xBFx"), L"\uFEFFx");  // the caller strips the mark
    const std::wstring emoji = Utf8ToWide("\xF0\x9F\x98\x80");
    if (sizeof(wchar_t) == 2) EXPECT_EQ(emoji, std::wstring(L"\xD83D\xDE00"));
    else EXPECT_EQ(emoji, std::wstring(1, static_cast<wchar_t>(0x1F600)));
}

TEST(Utf8, ReplacesMalformedSequencesWithoutLosingNeighbours) {
    const wchar_t r = 0xFFFD;
    EXPECT_EQ(Utf8ToWide("a\xFF" "b"), (std::wstring{L'a', r, L'b'}));
    EXPECT_EQ(Utf8ToWide("a\xC3"), (std::wstring{L'a', r}));             // cut short at the end
    EXPECT_EQ(Utf8ToWide("\xC3" "a"), (std::wstring{r, L'a'}));          // missing continuation
    EXPECT_EQ(Utf8ToWide("\xC0\xAF"), (std::wstring{r, r}));             // overlong lead
    EXPECT_EQ(Utf8ToWide("\xE0\x80\xAF"), (std::wstring{r}));            // overlong 3-byte
    EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), (std::wstring{r}));            // encoded surrogate
    EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), (std::wstring{r}));        // above U+10FFFF
    EXPECT_EQ(Utf8ToWide(std::string("x\0y", 3)), (std::wstring{L'x', L'\0', L'y'}));
}

TEST(Utf8, EncodesWideTextAndBack) {
    const std::wstring texts[] = {L"", L"Install", L"\u5B89\u88DD", L"\u00FC\u00DF", L"Setup_\u0420\u0443\u0441.exe"};
    for (const std::wstring& text : texts) EXPECT_EQ(Utf8ToWide(WideToUtf8(text)), text);
    EXPECT_EQ(WideToUtf8(L"\u5B89"), "\xE5\xAE\x89");
    if (sizeof(wchar_t) == 2) {
        EXPECT_EQ(WideToUtf8(std::wstring(L"\xD83D\xDE00")), "\xF0\x9F\x98\x80");
        EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD83D))), "\xEF\xBF\xBD");  // a lone half
    }
}
