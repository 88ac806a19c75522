#include <gtest/gtest.h>

#include <boost/property_tree/ptree.hpp>

#include "i18n/catalogue.h"

namespace {
CatalogueWords Section(const std::string& json, const std::wstring& code, bool* found = nullptr) {
    boost::property_tree::wptree tree;
    EXPECT_TRUE(ParseCatalogue(json, tree)) << json;
    CatalogueWords words;
    const bool has = CopySection(tree, code, words);
    if (found) *found = has;
    return words;
}
}  // namespace

TEST(Catalogue, CopiesOnlyTheFixedKeysOfTheChosenSection) {
    const auto words = Section(
        R"({"eng":{"INSTALL_WIFI":"Install Wi-Fi","OTHER":"x"},"jpn":{"INSTALL_BT":"j"}})", L"eng");
    EXPECT_EQ(words, (CatalogueWords{{L"INSTALL_WIFI", L"Install Wi-Fi"}}));
}

TEST(Catalogue, NonStringValuesBecomeTheirLiteralOrEmpty) {
    const auto words = Section(
        R"({"eng":{"INSTALL_BT":5,"INSTALL_RX":{},"INSTALL_WIFI":true,"HINT_DL_BT":null,)"
        R"("INSTALL_HOTSPOT":[1,2],"WIFI_INSTALLED":-1.5e3,"BT_UNPACK_FAILED":false}})", L"eng");
    EXPECT_EQ(words.at(L"INSTALL_BT"), L"5");
    EXPECT_EQ(words.at(L"INSTALL_RX"), L"");
    EXPECT_EQ(words.at(L"INSTALL_WIFI"), L"true");
    EXPECT_EQ(words.at(L"HINT_DL_BT"), L"null");
    EXPECT_EQ(words.at(L"INSTALL_HOTSPOT"), L"");
    EXPECT_EQ(words.at(L"WIFI_INSTALLED"), L"-1.5e3");
    EXPECT_EQ(words.at(L"BT_UNPACK_FAILED"), L"false");
}

TEST(Catalogue, DecodesUtf8EscapesAndByteOrderMark) {
    const auto plain = Section("{\"cht\":{\"INSTALL_BT\":\"\xE5\xAE\x89\xE8\xA3\x9D \\u00e9\"}}", L"cht");
    const auto marked = Section("\xEF\xBB\xBF{\"cht\":{\"INSTALL_BT\":\"\xE5\xAE\x89\xE8\xA3\x9D \\u00e9\"}}", L"cht");
    EXPECT_EQ(plain.at(L"INSTALL_BT"), L"\u5B89\u88DD \u00E9");
    EXPECT_EQ(plain, marked);
}

TEST(Catalogue, SectionsThatAreMissingOrNotObjectsGiveNothing) {
    bool found = true;
    EXPECT_TRUE(Section(R"({"fr":{"INSTALL_BT":"x"}})", L"eng", &found).empty());
    EXPECT_FALSE(found);
    EXPECT_TRUE(Section(R"({"eng":"INSTALL_BT"})", L"eng").empty());
    EXPECT_TRUE(Section(R"({"eng":["INSTALL_BT","x"]})", L"eng").empty());
    EXPECT_TRUE(Section(R"({"eng":42})", L"eng").empty());
    EXPECT_TRUE(Section(R"([{"eng":{"INSTALL_BT":"x"}}])", L"eng").empty());
    EXPECT_TRUE(Section(R"("just text")", L"eng").empty());
}

TEST(Catalogue, EmptyTextIsAnEntry) {
    EXPECT_EQ(Section(R"({"eng":{"HINT_DL_BT":""}})", L"eng"), (CatalogueWords{{L"HINT_DL_BT", L""}}));
}

TEST(Catalogue, RejectsBrokenOrHostileInput) {
    boost::property_tree::wptree tree;
    for (const char* bad : {"", "{", "{\"eng\":}", "{\"eng\":{\"INSTALL_BT\":\"x\"}", "nonsense",
                            "{\"eng\":{\"INSTALL_BT\":\"unterminated}}", "\xFF\xFE{}"})
        EXPECT_FALSE(ParseCatalogue(bad, tree)) << bad;

    const std::string deep = std::string(100000, '[') + std::string(100000, ']');
    EXPECT_FALSE(ParseCatalogue(deep, tree));
    const std::string deepInSection =
        "{\"eng\":{\"INSTALL_BT\":" + std::string(5000, '[') + std::string(5000, ']') + "}}";
    EXPECT_FALSE(ParseCatalogue(deepInSection, tree));
    // Brackets inside strings are text, not nesting.
    const std::string bracketText = "{\"eng\":{\"INSTALL_BT\":\"" + std::string(500, '[') + "\"}}";
    EXPECT_TRUE(ParseCatalogue(bracketText, tree));
}
