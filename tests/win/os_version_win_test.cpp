#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <thread>

#include "sys/os_version.h"
#include "wine_helpers_win.h"

TEST(OsVersionWine, EachWindowsVersionGivesItsClass) {
    using V = WindowsVersion;
    const struct { const wchar_t* wine; V version; } cases[] = {
        {L"win7", V::Win7}, {L"win8", V::Win8}, {L"win81", V::Win81}, {L"win10", V::Win10}, {L"vista", V::Vista},
        {L"winxp64", V::XpX64OrServer2003},
    };
    const std::wstring probe = L"\"" + test::ProgramFolder() + L"os_version_probe.exe\"";
    for (const auto& c : cases) {
        test::CWindowsVersionScope version(c.wine);
        EXPECT_EQ(test::RunAndWait(probe), static_cast<int>(c.version)) << c.wine;
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
    WindowsVersion code = WindowsVersion::Unknown;
    HRESULT again = E_FAIL;
    std::thread([&] {
        ASSERT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_OK);
        std::wstring version;
        code = QueryOsVersion(version);
        // The thread's own initialisation is still in place afterwards.
        again = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(again)) ::CoUninitialize();
        ::CoUninitialize();
    }).join();
    EXPECT_TRUE(AtLeast(code, WindowsVersion::Win7));
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
    WindowsVersion codes[4] = {};
    std::thread threads[4];
    for (int i = 0; i < 4; ++i) threads[i] = std::thread([&codes, i] { std::wstring version;
        codes[i] = QueryOsVersion(version);
    });
    for (auto& thread : threads) thread.join();
    for (WindowsVersion code : codes) EXPECT_EQ(code, codes[0]);
    EXPECT_NE(codes[0], WindowsVersion::Unknown);
}
