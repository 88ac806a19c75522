#include <gtest/gtest.h>

#include <set>

#include "sys/utf8.h"
#include "ui/text_face.h"

// Each script in its own UI face, the product's face behind it, and the
// system's message face where neither is installed.
TEST(TextFace, EachScriptInItsOwnFace) {
    const std::set<std::wstring> all = {L"Microsoft JhengHei", L"Microsoft YaHei UI", L"Yu Gothic UI", L"Meiryo UI",
                                        L"Malgun Gothic", L"Segoe UI"};
    const struct { const wchar_t* language; WindowsVersion windows; std::set<std::wstring> installed; const wchar_t* face; } rows[] = {
        {L"cht", WindowsVersion::Win10, all, L"Microsoft JhengHei"},
        {L"chs", WindowsVersion::Win10, all, L"Microsoft YaHei UI"},
        {L"jpn", WindowsVersion::Win81, all, L"Yu Gothic UI"},
        {L"jpn", WindowsVersion::Win8, all, L"Meiryo UI"},  // Yu Gothic came with 8.1
        {L"jpn", WindowsVersion::Win10, {L"Meiryo UI", L"Microsoft JhengHei"}, L"Meiryo UI"},
        {L"kor", WindowsVersion::Win7, all, L"Malgun Gothic"},
        {L"eng", WindowsVersion::Win7, all, L"Segoe UI"},
        {L"rus", WindowsVersion::Win10, all, L"Segoe UI"},
        {L"deu", WindowsVersion::Unknown, all, L"Segoe UI"},
        {L"fr", WindowsVersion::Win10, {L"Microsoft JhengHei"}, L"Microsoft JhengHei"},
        {L"chs", WindowsVersion::Win10, {}, L"Tahoma"},
        {L"xx", WindowsVersion::Win10, all, L"Segoe UI"},
    };
    for (const auto& row : rows) {
        const std::wstring face = ChooseFace(FacesFor(row.language, row.windows),
                                             [&](const std::wstring& f) { return row.installed.count(f) > 0; }, L"Tahoma");
        EXPECT_EQ(WideToUtf8(face), WideToUtf8(row.face)) << WideToUtf8(row.language) << " " << static_cast<int>(row.windows);
    }
}
