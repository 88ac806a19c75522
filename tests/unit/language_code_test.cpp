#include <gtest/gtest.h>

#include "i18n/language_code.h"

TEST(LanguageCode, WholeIdentifierPicksTheSection) {
    const struct { unsigned short id; const wchar_t* code; } cases[] = {
        {0x0404, L"cht"}, {0x0C04, L"cht"}, {0x1404, L"eng"},  // Macao is not listed
        {0x0804, L"chs"}, {0x1004, L"chs"}, {0x0004, L"eng"},
        {0x0411, L"jpn"}, {0x0412, L"kor"}, {0x0812, L"eng"},
        {0x040C, L"fr"},  {0x080C, L"fr"},  {0x0C0C, L"fr"},  {0x100C, L"fr"},  {0x140C, L"fr"},
        {0x180C, L"eng"},
        {0x0410, L"ita"}, {0x0810, L"ita"}, {0x0416, L"por"}, {0x0816, L"por"},
        {0x0419, L"rus"}, {0x0819, L"eng"},
        {0x040A, L"es"},  {0x080A, L"es"},  {0x2C0A, L"es"},  {0x500A, L"es"},  {0x540A, L"eng"},
        {0x000A, L"eng"},
        {0x0407, L"deu"}, {0x0807, L"deu"}, {0x0C07, L"deu"}, {0x1007, L"deu"}, {0x1407, L"deu"},
        {0x1807, L"eng"},
        {0x0409, L"eng"}, {0x0809, L"eng"}, {0x0C09, L"eng"}, {0x0413, L"eng"}, {0x0000, L"eng"},
        {0xFFFF, L"eng"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LanguageCodeForLangId(c.id), c.code) << std::hex << c.id;
}
