#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <vector>

#include "sys/handle_win.h"
#include "sys/paths.h"
#include "wine_helpers_win.h"

namespace {
std::wstring CommonAppData() {
    wchar_t path[MAX_PATH] = {};
    ::SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_DEFAULT, path);
    return path;
}
bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}
bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}
// Entry names of a folder in the order the file system lists them.
std::vector<std::wstring> Listing(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW entry = {};
    sys::CFindHandle find(::FindFirstFileW((folder + L"\\*.*").c_str(), &entry));
    if (!find.Valid()) return names;
    do {
        const std::wstring name = entry.cFileName;
        if (name != L"." && name != L"..") names.push_back(name);
    } while (::FindNextFileW(find.Get(), &entry));
    return names;
}
}  // namespace

TEST(WorkFolder, IsCreatedOnDemandUnderCommonAppData) {
    const std::wstring expected = CommonAppData() + L"\\MRL7300";
    test::RemoveTree(expected);
    ASSERT_FALSE(Exists(expected));
    EXPECT_EQ(GetWorkFolder(L""), expected);
    EXPECT_TRUE(IsFolder(expected));
    EXPECT_EQ(GetWorkFolder(L""), expected);  // already there
    EXPECT_EQ(GetWorkFolder(L"*.*"), expected + L"\\*.*");
    EXPECT_EQ(GetWorkFolder(L"bt.zip"), expected + L"\\bt.zip");
    EXPECT_FALSE(Exists(expected + L"\\bt.zip"));
}

TEST(FindFile, SearchesOneLevelDownAndNoDeeper) {
    test::CTempFolder root(L"find-depth");
    root.Make(L"a", true);
    root.Make(L"a\\b", true);
    root.Make(L"a\\b\\Setup.exe", false);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", true), L"");
    const std::wstring oneDown = root.Make(L"a\\Setup.exe", false);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", true), oneDown);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", false), L"");
}

TEST(FindFile, IgnoresCaseAndReturnsTheStoredSpelling) {
    test::CTempFolder root(L"find-case");
    const std::wstring stored = root.Make(L"SETUP.EXE", false);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", true), stored);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"setup.exe", false), stored);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.ex", true), L"");
}

TEST(FindFile, AFolderMatchesOnlyWithoutDescending) {
    test::CTempFolder root(L"find-folder");
    const std::wstring folder = root.Make(L"Setup.exe", true);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", false), folder);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", true), L"");
    const std::wstring inside = root.Make(L"Setup.exe\\setup.exe", false);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", true), inside);
}

TEST(FindFile, FirstMatchInListingOrderWins) {
    test::CTempFolder root(L"find-order");
    for (const wchar_t* name : {L"d1", L"d2", L"d3"}) {
        root.Make(name, true);
        root.Make(std::wstring(name) + L"\\Setup.exe", false);
    }
    root.Make(L"Setup.exe", false);
    const auto listing = Listing(root.Path());
    ASSERT_EQ(listing.size(), 4u);
    const std::wstring first = listing.front();
    const std::wstring expected = root.Path() + L"\\" + first +
                                  (first == L"Setup.exe" ? L"" : L"\\Setup.exe");
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", true), expected);
}

TEST(FindFile, MissingFolderOrEmptyPatternFindsNothing) {
    EXPECT_EQ(FindFileRecursive(L"C:\\no\\such\\folder\\*.*", L"Setup.exe", true), L"");
    EXPECT_EQ(FindFileRecursive(L"", L"Setup.exe", true), L"");
    test::CTempFolder root(L"find-empty");
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"Setup.exe", true), L"");
    root.Make(L"Setup.exe", false);
    EXPECT_EQ(FindFileRecursive(root.Path() + L"\\*.*", L"", true), L"");
}
