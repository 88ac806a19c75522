#include <gtest/gtest.h>
#include <windows.h>

#include "sys/held_folder_win.h"
#include "wine_helpers_win.h"

namespace {
// What the program's search finds in the held folder at path: its path below it.
std::wstring Find(const test::CTempFolder& root, const std::wstring& name, bool descend) {
    return sys::FindFileRecursive(sys::CHeldFolder::Open(root.Path()), name, descend);
}
}  // namespace

TEST(FindFile, SearchesOneLevelDownAndNoDeeper) {
    test::CTempFolder root(L"find-depth");
    root.Make(L"a", true);
    root.Make(L"a\\b", true);
    root.Make(L"a\\b\\Setup.exe", false);
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"");
    root.Make(L"a\\Setup.exe", false);
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"a\\Setup.exe");
    EXPECT_EQ(Find(root, L"Setup.exe", false), L"");
}

TEST(FindFile, IgnoresCaseAndReturnsTheStoredSpelling) {
    test::CTempFolder root(L"find-case");
    root.Make(L"SETUP.EXE", false);
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"SETUP.EXE");
    EXPECT_EQ(Find(root, L"setup.exe", false), L"SETUP.EXE");
    EXPECT_EQ(Find(root, L"Setup.ex", true), L"");
}

TEST(FindFile, AFolderMatchesOnlyWithoutDescending) {
    test::CTempFolder root(L"find-folder");
    root.Make(L"Setup.exe", true);
    EXPECT_EQ(Find(root, L"Setup.exe", false), L"Setup.exe");
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"");
    root.Make(L"Setup.exe\\setup.exe", false);
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"Setup.exe\\setup.exe");
}

// With two Setup.exe the shallowest wins, then the first folder by name,
// whatever order the file system lists them in; a link is neither searched nor found.
TEST(FindFile, ShallowestThenNameOrderWins) {
    test::CTempFolder root(L"find-order"), elsewhere(L"find-elsewhere");
    for (const wchar_t* name : {L"d3", L"D2", L"d1"}) {
        root.Make(name, true);
        root.Make(std::wstring(name) + L"\\Setup.exe", false);
    }
    elsewhere.Make(L"Setup.exe", false);
    const test::CHostLink link(elsewhere.Path(), root.Path() + L"\\a-link");
    ASSERT_TRUE(link.Made());
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"d1\\Setup.exe");
    root.Make(L"Setup.exe", false);
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"Setup.exe");
}

TEST(FindFile, EmptyFolderOrNameFindsNothing) {
    test::CTempFolder root(L"find-empty");
    EXPECT_EQ(Find(root, L"Setup.exe", true), L"");
    root.Make(L"Setup.exe", false);
    EXPECT_EQ(Find(root, L"", true), L"");
}
