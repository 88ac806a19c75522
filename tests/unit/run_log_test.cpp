#include <gtest/gtest.h>

#include "log/run_log.h"

TEST(RunLog, NamesLinesAndWhichOldLogsGo) {
    const LogTime t{2026, 12, 9, 3, 5, 7, 42};
    EXPECT_EQ(DefaultLogName(t), L"Installer_20261209_030507.log");
    EXPECT_EQ(DefaultLogName(t, 2), L"Installer_20261209_030507_2.log");  // a second run in the same second
    EXPECT_EQ(FormatLogLine(t, "GET https://x: HTTP 200\r\n"), "2026-12-09 03:05:07.042 GET https://x: HTTP 200\r\n");
    EXPECT_EQ(FormatLogLine(t, "two\nlines"), "2026-12-09 03:05:07.042 two lines\r\n");

    std::vector<std::wstring> names;
    for (int i = 12; i >= 1; --i) names.push_back(L"Installer_202612" + std::to_wstring(10 + i) + L"_120000.log");
    names.push_back(L"Installer_20261211_120000_2.log");
    names.push_back(L"Installer_notes.log");  // not one of ours: kept
    names.push_back(L"Installer_20261211_120000_x.log");
    names.push_back(L"other.txt");
    EXPECT_EQ(LogsToRemove(names, 10),
              (std::vector<std::wstring>{L"Installer_20261211_120000.log", L"Installer_20261211_120000_2.log",
                                         L"Installer_20261212_120000.log"}));
    names.resize(3);
    EXPECT_TRUE(LogsToRemove(names, 10).empty());
    // Under Wine an access list reads back as the mode bits, the owner's always full: the list is
    // checked here. Protected (nothing inherited from the work folder); users read, only
    // Administrators and SYSTEM write, and what is made in it inherits that.
    const std::wstring sddl = LogFolderSecurity();
    EXPECT_NE(sddl.find(L"D:P"), std::wstring::npos) << std::string(sddl.begin(), sddl.end());
    EXPECT_NE(sddl.find(L"(A;OICI;0x1200a9;;;BU)"), std::wstring::npos);
    EXPECT_EQ(sddl.find(L"WD"), std::wstring::npos);
    EXPECT_NE(sddl.find(L"(A;OICI;FA;;;BA)"), std::wstring::npos);
    EXPECT_NE(sddl.find(L"(A;OICI;FA;;;SY)"), std::wstring::npos);
}

// A log named on the command line is appended to only when this program
// wrote it; anything else gets a new file beside it.
TEST(RunLog, OnlyItsOwnLogsAreAppendedTo) {
    const struct { const char* first; bool ours; } lines[] = {
        {"2026-12-09 04:37:54.781 Installer 1.2.0.15 started: \"C:\\Installer.exe\" /quiet", true},
        {"2026-12-09 04:37:54.781 Installer  started: x", true},
        {"[boot loader]", false},
        {"", false},
        {"2026-12-09 04:37:54.781 Windows 6.1.7601", false},
        {"2026-12-09 04:37:54 Installer 1.2.0.15 started: x", false},
        {"Installer 1.2.0.15 started: x", false},
    };
    for (const auto& line : lines) EXPECT_EQ(IsRunLogHeader(line.first), line.ours) << line.first;
    EXPECT_EQ(NumberedLogPath(L"C:\\logs\\run.log", 2), L"C:\\logs\\run_2.log");
    EXPECT_EQ(NumberedLogPath(L"C:\\logs.d\\run", 3), L"C:\\logs.d\\run_3");
}
