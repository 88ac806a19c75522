#include <gtest/gtest.h>

#include <cwchar>
#include <fstream>
#include <sstream>

#include <boost/property_tree/ptree.hpp>

#include "i18n/catalogue.h"

// The catalogue we deliver: every language has every text, and the texts fit
// where the window shows them.
TEST(ShippedCatalogue, EveryLanguageHasEveryKey) {
    std::ifstream in(INSTALLER_SOURCE_DIR "/data/translation.json", std::ios::binary);
    ASSERT_TRUE(in);
    std::stringstream content;
    content << in.rdbuf();
    boost::property_tree::wptree tree;
    ASSERT_TRUE(ParseCatalogue(content.str(), tree));
    for (const wchar_t* code : kLanguageCodes) {
        CatalogueWords words;
        ASSERT_TRUE(CopySection(tree, code, words)) << code;
        for (const wchar_t* key : kTranslationKeys) {
            const auto found = words.find(key);
            ASSERT_NE(found, words.end()) << code << " has no text for " << std::string(key, key + wcslen(key));
            EXPECT_FALSE(found->second.empty()) << code;
            EXPECT_NE(found->second, key) << code;
        }
        for (int key = 0; key < kTranslationKeyCount; ++key) {
            if (kTranslationKinds[key] != TextKind::Caption) continue;
            EXPECT_LE(words[kTranslationKeys[key]].size(), 30u) << code;
        }
        EXPECT_LE(words[kTranslationKeys[kWifiInstalled]].size() + 1 +
                      words[kTranslationKeys[kHintDlBt]].size(), 105u) << code;
        EXPECT_LE(words[kTranslationKeys[kHintNoInternet]].size(), 60u) << code;
    }
}
