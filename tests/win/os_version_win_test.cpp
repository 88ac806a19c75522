#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <thread>

#include "sys/os_version.h"
#include "wine_helpers_win.h"

TEST(OsVersionWine, EachWindowsVersionGivesItsClass) {
    const struct { const wchar_t* wine; int code; } cases[] = {
        {L"win7", 6}, {L"win8", 7}, {L"win81", 8}, {L"win10", 9}, {L"vista", 5}, {L"winxp64", 4},
    };
    const std::wstring probe = L"\"" + test::ProgramFolder() + L"os_version_probe.exe\"";
    for (const auto& c : cases) {
        test::CWindowsVersionScope version(c.wine);
        EXPECT_EQ(test::RunAndWait(probe), c.code) << c.wine;
    }
}

TEST(OsVersionWine, ReadsTheVersionStringOfTheRunningSystem) {
    std::wstring version = L"untouched";
    std::thread([&version] {
        EXPECT_TRUE(QueryWmiProperty("Win32_OperatingSystem", L"Version", version));
    }).join();
    EXPECT_NE(version, L"untouched");
    EXPECT_GE(SplitVersionComponents(version).size(), 3u) << version;
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    ::GetVersionExW(&info);
#pragma GCC diagnostic pop
    EXPECT_EQ(version.substr(0, version.find(L'.', version.find(L'.') + 1)),
              std::to_wstring(info.dwMajorVersion) + L"." + std::to_wstring(info.dwMinorVersion));
}

TEST(OsVersionWine, WorksOnAThreadAlreadyInTheSingleThreadedApartment) {
    int code = -1;
    HRESULT again = E_FAIL;
    std::thread([&] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        code = QueryOsVersion();
        // The thread's own initialisation is still in place afterwards.
        again = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(again)) ::CoUninitialize();
        ::CoUninitialize();
    }).join();
    EXPECT_GE(code, 6);
    EXPECT_EQ(again, S_FALSE);
}

TEST(OsVersionWine, MissingOrUnreadableAnswersAreHandled) {
    std::wstring value = L"kept";
    EXPECT_TRUE(QueryWmiProperty("Win32_OperatingSystem", L"NoSuchProperty", value));
    EXPECT_EQ(value, L"kept");
    EXPECT_TRUE(QueryWmiProperty("Win32_OperatingSystem", L"OSType", value));  // a number
    EXPECT_EQ(value, L"kept");
    // With an immediate-return query an unknown class may only show up as an
    // empty enumeration, so the result may be true; nothing is read either way.
    QueryWmiProperty("No_Such_Class", L"Version", value);
    EXPECT_EQ(value, L"kept");
    EXPECT_FALSE(QueryWmiProperty(std::string(90, 'A'), L"Version", value));  // query too long
    EXPECT_EQ(value, L"kept");
}

TEST(OsVersionWine, ConcurrentQueriesAgree) {
    int codes[4] = {};
    std::thread threads[4];
    for (int i = 0; i < 4; ++i) threads[i] = std::thread([&codes, i] { codes[i] = QueryOsVersion(); });
    for (auto& thread : threads) thread.join();
    for (int code : codes) EXPECT_EQ(code, codes[0]);
    EXPECT_GE(codes[0], 1);
}
