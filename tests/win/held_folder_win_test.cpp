#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "sys/held_folder_win.h"
#include "wine_helpers_win.h"

namespace {
// What the program's search finds in the held folder at path: its path below it.
std::wstring Find(const test::CTempFolder& root, const std::wstring& name, bool descend) {
    return sys::FindFileRecursive(sys::CHeldFolder::Open(root.Path()), name, descend);
}
}  // namespace

// The entry of a name one level down at most, ignoring case and told in its
// stored spelling; the shallowest wins, then the first folder by name,
// whatever order the file system lists them in. Made: "name/" a folder.
TEST(FindFile, TheShallowestOfItsNameOneLevelDownAtMost) {
    const std::vector<std::wstring> nested = {L"a/", L"a\\b/", L"a\\b\\Setup.exe"}, oneDown = {L"a/", L"a\\Setup.exe"},
                                    three = {L"d3/", L"d3\\Setup.exe", L"D2/", L"D2\\Setup.exe", L"d1/", L"d1\\Setup.exe"};
    std::vector<std::wstring> threeAndTop = three;
    threeAndTop.push_back(L"Setup.exe");
    const struct { const char* name; std::vector<std::wstring> made; std::wstring query; bool descend; std::wstring found; } cases[] = {
        {"two down is too deep", nested, L"Setup.exe", true, L""},
        {"one down", oneDown, L"Setup.exe", true, L"a\\Setup.exe"},
        {"one down, not descending", oneDown, L"Setup.exe", false, L""},
        {"case ignored, stored spelling", {L"SETUP.EXE"}, L"Setup.exe", true, L"SETUP.EXE"},
        {"case ignored, not descending", {L"SETUP.EXE"}, L"setup.exe", false, L"SETUP.EXE"},
        {"a prefix is no match", {L"SETUP.EXE"}, L"Setup.ex", true, L""},
        {"a folder, not descending", {L"Setup.exe/"}, L"Setup.exe", false, L"Setup.exe"},
        {"a folder is no file", {L"Setup.exe/"}, L"Setup.exe", true, L""},
        {"the file in a folder of its name", {L"Setup.exe/", L"Setup.exe\\setup.exe"}, L"Setup.exe", true,
         L"Setup.exe\\setup.exe"},
        {"first folder by name", three, L"Setup.exe", true, L"d1\\Setup.exe"},
        {"the shallowest first", threeAndTop, L"Setup.exe", true, L"Setup.exe"},
        {"an empty folder", {}, L"Setup.exe", true, L""},
        {"an empty name", {L"Setup.exe"}, L"", true, L""},
    };
    int row = 0;
    for (const auto& c : cases) {
        test::CTempFolder root(L"find-" + std::to_wstring(++row));
        for (const std::wstring& entry : c.made) {
            const bool folder = entry.back() == L'/';
            root.Make(folder ? entry.substr(0, entry.size() - 1) : entry, folder);
        }
        EXPECT_EQ(Find(root, c.query, c.descend), c.found) << c.name;
    }
}

// A link is neither searched nor found.
TEST(FindFile, ALinkIsNeitherSearchedNorFound) {
    test::CTempFolder root(L"find-link"), elsewhere(L"find-elsewhere");
    elsewhere.Make(L"Setup.exe", false);
    const test::CHostLink link(elsewhere.Path(), root.Path() + L"\\a-link");
    ASSERT_TRUE(link.Made());
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"");
    EXPECT_EQ(Find(root, L"a-link", false), L"");
}
