#include <gtest/gtest.h>

#include <cwchar>
#include <fstream>
#include <sstream>
#include <vector>

#include <boost/property_tree/ptree.hpp>

#include "i18n/catalogue.h"
#include "install/progress_text.h"

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
        // The pixel fit decides; this catches a text pasted twice.
        EXPECT_LE(words[kTranslationKeys[kHintNoInternet]].size(), 90u) << code;
        // What the progress texts put in is there, each once, and nothing else in braces.
        const struct { TranslationKey key; std::vector<const wchar_t*> places; } templates[] = {
            {kProgressDownload, {L"{done}", L"{total}", L"{rate}", L"{left}"}},
            {kProgressDownloadSoFar, {L"{done}", L"{total}"}},
            {kProgressDownloadNoTotal, {L"{done}", L"{rate}"}},
            {kUnitKb, {L"{n}"}}, {kUnitMb, {L"{n}"}}, {kUnitGb, {L"{n}"}}, {kUnitRate, {L"{n}"}},
            {kUnitSeconds, {L"{n}"}}, {kUnitMinutes, {L"{n}"}}, {kProgressChecking, {}}, {kDlCancelled, {}},
        };
        for (const auto& t : templates) {
            const std::wstring& text = words[kTranslationKeys[t.key]];
            for (const wchar_t* place : t.places)
                EXPECT_EQ(text.find(place), text.rfind(place)) << code << " " << t.key;
            std::size_t braces = 0;
            for (wchar_t c : text) braces += c == L'{';
            EXPECT_EQ(braces, t.places.size()) << code << " " << t.key;
            for (const wchar_t* place : t.places) EXPECT_NE(text.find(place), std::wstring::npos) << code << " " << t.key;
        }
        const std::wstring& sign = words[kTranslationKeys[kDecimalSign]];
        EXPECT_TRUE(sign == L"." || sign == L",") << code;
    }
}

// The status line's progress as each language writes it: its units, its
// decimal sign, minutes past 90 seconds, and less when the size or the
// rate is not known yet.
TEST(ShippedCatalogue, ProgressReadsAsTheLanguageWritesIt) {
    std::ifstream in(INSTALLER_SOURCE_DIR "/data/translation.json", std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    boost::property_tree::wptree tree;
    ASSERT_TRUE(ParseCatalogue(content.str(), tree));
    constexpr unsigned long long kMb = 1024 * 1024;
    const TransferProgress midway{12897484, 48 * kMb, 2.1 * kMb}, unsized{500 * 1024, 0, 100 * 1024},
        starting{0, 1024 * kMb, 0}, slow{0, 100 * kMb, 1.0 * kMb}, nearlyGb{1073699430, 0, 0};
    const std::wstring s = L"\u00a0";  // no line break between a number and its unit
    const struct { const wchar_t* code; JobPhase phase; TransferProgress transfer; std::wstring text; } cases[] = {
        {L"eng", JobPhase::Downloading, midway, L"12.3" + s + L"MB of 48.0" + s + L"MB, 2.1" + s + L"MB/s, about 17" + s + L"s left"},
        {L"deu", JobPhase::Downloading, midway, L"12,3" + s + L"MB von 48,0" + s + L"MB, 2,1" + s + L"MB/s, noch etwa 17" + s + L"s"},
        {L"fr", JobPhase::Copying, midway, L"12,3" + s + L"Mo sur 48,0" + s + L"Mo, 2,1" + s + L"Mo/s, reste environ 17" + s + L"s"},
        {L"jpn", JobPhase::Downloading, midway, L"12.3" + s + L"MB/48.0" + s + L"MB、2.1" + s + L"MB/秒、残り約 17" + s + L"秒"},
        {L"eng", JobPhase::Downloading, unsized, L"500" + s + L"KB, 100" + s + L"KB/s"},
        {L"eng", JobPhase::Downloading, starting, L"0" + s + L"KB of 1.0" + s + L"GB"},
        {L"eng", JobPhase::Downloading, slow, L"0" + s + L"KB of 100.0" + s + L"MB, 1.0" + s + L"MB/s, about 2" + s + L"min left"},
        {L"rus", JobPhase::Downloading, slow, L"0" + s + L"КБ из 100,0" + s + L"МБ, 1,0" + s + L"МБ/с, осталось около 2" + s + L"мин"},
        {L"eng", JobPhase::Downloading, nearlyGb, L"1.0" + s + L"GB"},
        {L"eng", JobPhase::Checking, {}, L"Checking the package…"},
        {L"eng", JobPhase::Started, {}, L"The setup program has started. Follow its instructions to finish the installation."},
        {L"eng", JobPhase::Ended, {}, L""},
    };
    for (const auto& c : cases) {
        CatalogueWords words;
        ASSERT_TRUE(CopySection(tree, c.code, words));
        const WordsFn word = [&](TranslationKey key) { return words[kTranslationKeys[key]]; };
        EXPECT_EQ(ProgressText({JobId::Bluetooth, c.phase, c.transfer}, word), c.text)
            << std::string(c.code, c.code + wcslen(c.code)) << " " << PhaseName(c.phase);
    }
}
