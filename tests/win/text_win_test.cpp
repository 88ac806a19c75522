#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>

#include "sys/text.h"

TEST(TextConversion, AsciiPathsSurviveTheRoundTrip) {
    for (const wchar_t* text : {L"", L"C:\\ProgramData\\MRL7300\\bt_8821CU_win10.zip",
                                L"https://localhost:8443/files/a b.exe?x=1&y=2"}) {
        EXPECT_EQ(AnsiToWide(WideToAnsi(text)), text);
        EXPECT_EQ(WideToAnsi(text).size(), std::wcslen(text));
    }
}

TEST(TextConversion, FollowsTheAnsiCodePage) {
    ASSERT_EQ(::GetACP(), 1252u) << "tests run with the Western code page";
    EXPECT_EQ(WideToAnsi(L"caf\u00E9"), "caf\xE9");
    EXPECT_EQ(AnsiToWide("caf\xE9"), L"caf\u00E9");
    EXPECT_EQ(WideToAnsi(L"\u5B89"), "?");  // not in the code page
    EXPECT_EQ(AnsiToWide(std::string("ab\0cd", 5)), L"ab");
    EXPECT_EQ(WideToAnsi(std::wstring(L"ab\0cd", 5)), "ab");
}
