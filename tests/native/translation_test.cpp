#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#include "fake_platform.h"
#include "i18n/translation.h"

namespace fs = std::filesystem;

namespace {

class TranslationTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_folder = fs::temp_directory_path() /
                   ("catalogue-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
                    "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder / "data");
        fake::SetProgramFolder(m_folder.string());
        fake::SetUiLanguage(0x0409);
        fake::TakeDebugOutput();
    }
    void TearDown() override { fs::remove_all(m_folder); }

    void WriteCatalogue(const std::string& content) {
        std::ofstream(m_folder / "data" / "translation.json", std::ios::binary) << content;
    }

    fs::path m_folder;
};

const char* kTwoLanguages =
    R"({"eng":{"INSTALL_WIFI":"Install Wi-Fi Driver","INSTALL_BT":"Install Bluetooth Driver"},)"
    R"("deu":{"INSTALL_WIFI":"WLAN-Treiber installieren"}})";

}  // namespace

TEST_F(TranslationTest, MissingFileFallsBackToKeysAndSaysSoEveryTime) {
    CTranslation catalogue;
    EXPECT_FALSE(catalogue.Load());
    EXPECT_EQ(fake::TakeDebugOutput(), std::vector<std::string>{"Read translation file failed!!\r\n"});
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(catalogue.GetWord(L"INSTALL_WIFI"), L"INSTALL_WIFI");
        EXPECT_EQ(fake::TakeDebugOutput(),
                  (std::vector<std::string>{"Get word failed and reinit\r\n",
                                            "Read translation file failed!!\r\n"}));
    }
    EXPECT_EQ(catalogue.Language(), L"eng");
}

TEST_F(TranslationTest, LoadsTheSectionOfTheUiLanguage) {
    WriteCatalogue(kTwoLanguages);
    CTranslation english;
    EXPECT_TRUE(english.Load());
    EXPECT_EQ(english.GetWord(L"INSTALL_WIFI"), L"Install Wi-Fi Driver");

    fake::SetUiLanguage(0x0C07);  // German (Austria) shares the German section
    CTranslation german;
    EXPECT_TRUE(german.Load());
    EXPECT_EQ(german.Language(), L"deu");
    EXPECT_EQ(german.GetWord(L"INSTALL_WIFI"), L"WLAN-Treiber installieren");
    fake::TakeDebugOutput();
    EXPECT_EQ(german.GetWord(L"INSTALL_BT"), L"INSTALL_BT");  // not in that section
}

TEST_F(TranslationTest, OnlyMissingKeysReloadTheFile) {
    WriteCatalogue(kTwoLanguages);
    CTranslation catalogue;
    ASSERT_TRUE(catalogue.Load());
    const int reads = fake::ReadCount();
    fake::TakeDebugOutput();
    EXPECT_EQ(catalogue.GetWord(L"INSTALL_BT"), L"Install Bluetooth Driver");
    EXPECT_EQ(fake::ReadCount(), reads);
    EXPECT_TRUE(fake::TakeDebugOutput().empty());
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(catalogue.GetWord(L"INSTALL_RX"), L"INSTALL_RX");
        EXPECT_EQ(fake::ReadCount(), reads + i);
    }
    EXPECT_EQ(fake::TakeDebugOutput().front(), "Get word failed and reinit\r\n");
}

TEST_F(TranslationTest, FirstLookupFillsAnUnloadedCatalogue) {
    WriteCatalogue(kTwoLanguages);
    CTranslation catalogue;  // as the message dialog uses its own
    EXPECT_EQ(catalogue.GetWord(L"INSTALL_BT"), L"Install Bluetooth Driver");
    EXPECT_EQ(fake::TakeDebugOutput(), std::vector<std::string>{"Get word failed and reinit\r\n"});
}

TEST_F(TranslationTest, ByteOrderMarkMakesNoDifference) {
    WriteCatalogue(std::string("\xEF\xBB\xBF") + kTwoLanguages);
    CTranslation catalogue;
    EXPECT_TRUE(catalogue.Load());
    EXPECT_EQ(catalogue.GetWord(L"INSTALL_WIFI"), L"Install Wi-Fi Driver");
}

TEST_F(TranslationTest, BrokenFileKeepsWhatWasLoaded) {
    WriteCatalogue(kTwoLanguages);
    CTranslation catalogue;
    ASSERT_TRUE(catalogue.Load());
    fake::SetUiLanguage(0x0407);
    for (const std::string& bad : {std::string("{\"eng\": {"), std::string(200000, '['),
                                   std::string("{\"deu\":") + std::string(10000, '[')}) {
        WriteCatalogue(bad);
        fake::TakeDebugOutput();
        EXPECT_FALSE(catalogue.Load());
        EXPECT_EQ(fake::TakeDebugOutput(), std::vector<std::string>{"Read translation.json failed"});
        EXPECT_EQ(catalogue.Language(), L"eng");
        EXPECT_EQ(catalogue.GetWord(L"INSTALL_WIFI"), L"Install Wi-Fi Driver");
    }
}

TEST_F(TranslationTest, HugeFileIsRefusedWithoutReadingIt) {
    {
        std::ofstream out(m_folder / "data" / "translation.json", std::ios::binary);
        out << "{\"eng\":{\"INSTALL_WIFI\":\"";
        const std::string block(1 << 20, 'x');
        for (int i = 0; i < 50; ++i) out << block;
        out << "\"}}";
    }
    CTranslation catalogue;
    EXPECT_FALSE(catalogue.Load());
    EXPECT_EQ(fake::TakeDebugOutput(), std::vector<std::string>{"Read translation.json failed"});
    EXPECT_EQ(catalogue.GetWord(L"INSTALL_WIFI"), L"INSTALL_WIFI");
}

TEST_F(TranslationTest, ReloadAfterLanguageChangeKeepsTextsTheNewSectionLacks) {
    WriteCatalogue(kTwoLanguages);
    CTranslation catalogue;
    ASSERT_TRUE(catalogue.Load());
    fake::SetUiLanguage(0x0407);
    ASSERT_TRUE(catalogue.Load());
    EXPECT_EQ(catalogue.GetWord(L"INSTALL_WIFI"), L"WLAN-Treiber installieren");
    EXPECT_EQ(catalogue.GetWord(L"INSTALL_BT"), L"Install Bluetooth Driver");
}

TEST_F(TranslationTest, NoSectionForTheLanguageStillCountsAsLoaded) {
    WriteCatalogue(R"({"jpn":{"INSTALL_WIFI":"x"},"fr":{"INSTALL_WIFI":"y"}})");
    CTranslation catalogue;
    EXPECT_TRUE(catalogue.Load());
    EXPECT_EQ(catalogue.GetWord(L"INSTALL_WIFI"), L"INSTALL_WIFI");
}

TEST_F(TranslationTest, ConcurrentLookupsAndReloadsAreSafe) {
    WriteCatalogue(kTwoLanguages);
    CTranslation catalogue;
    ASSERT_TRUE(catalogue.Load());
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 200; ++i) {
                if (t % 2 == 0) {
                    if (catalogue.GetWord(L"INSTALL_WIFI") != L"Install Wi-Fi Driver") ++wrong;
                } else if (catalogue.GetWord(L"INSTALL_HOTSPOT") != L"INSTALL_HOTSPOT") {
                    ++wrong;  // every one of these reloads the catalogue in place
                }
            }
        });
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(wrong, 0);
}
