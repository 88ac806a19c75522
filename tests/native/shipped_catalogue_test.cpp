#include <gtest/gtest.h>

#include <cwchar>
#include <fstream>
#include <sstream>
#include <vector>

#include <boost/property_tree/ptree.hpp>

#include "i18n/catalogue.h"
#include "install/progress_text.h"
#include "sys/utf8.h"

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
            {kUnitSeconds, {L"{n}"}}, {kUnitMinutes, {L"{n}"}}, {kUnitHours, {L"{n}"}},
            {kUnitHoursMinutes, {L"{h}", L"{m}"}}, {kProgressChecking, {}}, {kInstallCancelled, {}},
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
    }
}

// The status line's progress as each language writes it: its units and the
// order of its parts, with the figures of the user's locale (a Mexican
// Spanish PC writes a decimal point), three figures to a size, the time in
// Windows' steps, and less when the size or the rate is not known yet.
TEST(ShippedCatalogue, ProgressReadsAsTheLanguageWritesIt) {
    std::ifstream in(INSTALLER_SOURCE_DIR "/data/translation.json", std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    boost::property_tree::wptree tree;
    ASSERT_TRUE(ParseCatalogue(content.str(), tree));
    constexpr unsigned long long kMb = 1024 * 1024;
    const TransferProgress midway{12897484, 48 * kMb, 2.1 * kMb}, unsized{500 * 1024, 0, 100 * 1024},
        starting{0, 1024 * kMb, 0}, slow{0, 100 * kMb, 1.0 * kMb}, nearlyGb{1073699430, 0, 0},
        hours{0, 10240 * kMb, 1.0 * kMb};
    const std::wstring s = L"\u00a0";  // no line break between a number and its unit
    const NumberFacts point, comma{L",", L".", {3}, true}, french{L",", L"\u202f", {3}, true};
    const struct { const wchar_t* code; const NumberFacts& figures; JobPhase phase; TransferProgress transfer;
                   std::wstring text; } cases[] = {
        {L"eng", point, JobPhase::Downloading, midway, L"12.3" + s + L"MB of 48.0" + s + L"MB, 2.10" + s + L"MB/s, about 20" + s + L"s left"},
        {L"deu", comma, JobPhase::Downloading, midway, L"12,3" + s + L"MB von 48,0" + s + L"MB, 2,10" + s + L"MB/s, noch etwa 20" + s + L"s"},
        {L"fr", french, JobPhase::Copying, midway, L"12,3" + s + L"Mo sur 48,0" + s + L"Mo, 2,10" + s + L"Mo/s, reste environ 20" + s + L"s"},
        {L"es", point, JobPhase::Downloading, midway, L"12.3" + s + L"MB de 48.0" + s + L"MB, 2.10" + s + L"MB/s, tiempo restante: aprox. 20" + s + L"s"},
        {L"jpn", point, JobPhase::Downloading, midway, L"12.3" + s + L"MB / 48.0" + s + L"MB、2.10" + s + L"MB/秒、残り約 20" + s + L"秒"},
        {L"eng", point, JobPhase::Downloading, unsized, L"500" + s + L"KB, 100" + s + L"KB/s"},
        {L"eng", point, JobPhase::Downloading, starting, L"0" + s + L"KB of 1.00" + s + L"GB"},
        {L"eng", point, JobPhase::Downloading, slow, L"0" + s + L"KB of 100" + s + L"MB, 1.00" + s + L"MB/s, about 2" + s + L"min left"},
        {L"rus", comma, JobPhase::Downloading, slow, L"0" + s + L"КБ из 100" + s + L"МБ, 1,00" + s + L"МБ/с, осталось около 2" + s + L"мин"},
        {L"eng", point, JobPhase::Downloading, hours, L"0" + s + L"KB of 10.0" + s + L"GB, 1.00" + s + L"MB/s, about 2" + s + L"h 51" + s + L"min left"},
        {L"eng", point, JobPhase::Downloading, nearlyGb, L"1.00" + s + L"GB"},
        {L"eng", point, JobPhase::Checking, {}, L"Checking the package…"},
        {L"eng", point, JobPhase::Started, {}, L"The setup program has started. Follow its instructions to finish the installation."},
        {L"eng", point, JobPhase::Ended, {}, L""},
    };
    for (const auto& c : cases) {
        CatalogueWords words;
        ASSERT_TRUE(CopySection(tree, c.code, words));
        const WordsFn word = [&](TranslationKey key) { return words[kTranslationKeys[key]]; };
        EXPECT_EQ(WideToUtf8(ProgressText({JobId::Bluetooth, c.phase, c.transfer}, word, c.figures)), WideToUtf8(c.text))
            << WideToUtf8(c.code) << " " << PhaseName(c.phase);
    }
    // The boundaries: a unit's thousandth shows as the next unit; 5-second
    // steps up to 90 s, minutes to 90 min, then hours.
    CatalogueWords eng;
    ASSERT_TRUE(CopySection(tree, L"eng", eng));
    const WordsFn word = [&](TranslationKey key) { return eng[kTranslationKeys[key]]; };
    const struct { unsigned long long bytes; const wchar_t* text; } sizes[] = {
        {0, L"0 KB"}, {1, L"1 KB"}, {1023487, L"999 KB"}, {1023488, L"0.98 MB"}, {1048064, L"1.00 MB"},
        {kMb, L"1.00 MB"}, {10 * kMb - 1, L"10.0 MB"}, {100 * kMb - 1, L"100 MB"}, {999 * kMb, L"999 MB"},
        {1048051712, L"0.98 GB"}, {1500ull * 1024 * kMb, L"1,500 GB"},
    };
    for (const auto& c : sizes) {
        std::wstring text = SizeText(c.bytes, word, point);
        for (wchar_t& ch : text) ch = ch == L'\u00a0' ? L' ' : ch;
        EXPECT_EQ(WideToUtf8(text), WideToUtf8(c.text)) << c.bytes;
    }
    const struct { unsigned long long seconds; const wchar_t* text; } times[] = {
        {0, L"5 s"}, {1, L"5 s"}, {5, L"5 s"}, {6, L"10 s"}, {17, L"20 s"}, {85, L"85 s"}, {86, L"90 s"},
        {89, L"90 s"}, {90, L"2 min"}, {149, L"2 min"}, {150, L"3 min"}, {5429, L"90 min"}, {5430, L"1 h 31 min"},
        {7200, L"2 h"}, {7229, L"2 h"}, {7230, L"2 h 1 min"},
    };
    for (const auto& c : times) {
        std::wstring text = TimeText(c.seconds, word, point);
        for (wchar_t& ch : text) ch = ch == L'\u00a0' ? L' ' : ch;
        EXPECT_EQ(WideToUtf8(text), WideToUtf8(c.text)) << c.seconds;
    }
    // Grouping as the locale's LOCALE_SGROUPING says.
    const struct { const wchar_t* grouping; double value; int decimals; const wchar_t* text; } figures[] = {
        {L"3;0", 1234567.891, 2, L"1,234,567.89"}, {L"3;2;0", 1234567, 0, L"12,34,567"}, {L"3", 1234567, 0, L"1234,567"},
        {L"0", 1234567, 0, L"1234567"}, {L"", 999, 0, L"999"}, {L"3;0", 999.996, 2, L"1,000.00"}, {L"3;0", 0.004, 2, L"0.00"},
    };
    for (const auto& c : figures) {
        NumberFacts facts;
        ReadGrouping(c.grouping, facts);
        EXPECT_EQ(WideToUtf8(FormatNumber(c.value, c.decimals, facts)), WideToUtf8(c.text)) << WideToUtf8(c.grouping);
    }
}
