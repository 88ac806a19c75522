#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>

#include "i18n/translation.h"
#include "sys/handle_win.h"
#include "sys/platform.h"
#include "wine_helpers_win.h"

// What is delivered beside the program is looked for there, whatever the current folder.
TEST(TranslationWine, DeliveredFilesAreFoundInTheProgramFolder) {
    const std::wstring folder = test::ProgramFolder();
    EXPECT_EQ(sys::AppFolderJoin(L""), folder);
    EXPECT_EQ(sys::AppFolderJoin(L"data\\7za.exe"), folder + L"data\\7za.exe");
    EXPECT_EQ(sys::AppFolderJoin(L"\\data\\x"), folder + L"data\\x");
}

TEST(TranslationWine, LoadsTheDeliveredCatalogueWhileOthersHoldItOpen) {
    const std::wstring path = sys::AppFolderJoin(L"data\\translation.json");
    sys::CFileHandle writer(::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(writer.Valid());
    CTranslation catalogue;
    EXPECT_TRUE(catalogue.Load());
    EXPECT_NE(catalogue.GetWord(L"INSTALL_WIFI"), L"INSTALL_WIFI");
    EXPECT_EQ(catalogue.GetWord(L"NOT_A_KEY"), L"NOT_A_KEY");
}

// Run by CTest once per locale, with the code that locale must choose.
TEST(TranslationWine, SectionFollowsUiLanguage) {
    const char* expected = std::getenv("INSTALLER_EXPECTED_LANGUAGE");
    if (!expected) GTEST_SKIP() << "run through CTest with a locale";
    const std::string narrow(expected);
    const std::wstring code(narrow.begin(), narrow.end());
    EXPECT_EQ(CTranslation::GetLanguageCode(), code) << std::hex << ::GetUserDefaultUILanguage();
    CTranslation catalogue;
    ASSERT_TRUE(catalogue.Load());
    EXPECT_EQ(catalogue.Language(), code);
    EXPECT_NE(catalogue.GetWord(L"INSTALL_BT"), L"INSTALL_BT");
}
