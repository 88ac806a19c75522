#pragma once
// The run's log for the support desk: one UTF-8 line per event, each with its
// time, in a file that every run writes. The names, the line format and
// which old logs go are portable; the file is in run_log_win.cpp.
#include <string>
#include <vector>

struct LogTime {
    int year, month, day, hour, minute, second, millisecond;
};

// "Installer_20261209_031502.log"; the n-th of one second (n > 1) "..._n.log".
std::wstring DefaultLogName(const LogTime& t, int n = 1);
// A log file given by name that may not be used: C:\logs\run.log -> C:\logs\run_2.log.
std::wstring NumberedLogPath(const std::wstring& path, int n);
// Whether a file's first line is the first line this program writes, so
// that appending to it writes into nothing else.
bool IsRunLogHeader(const std::string& firstLine);
// The first line's text after its time stamp: "Installer <version> started: ".
constexpr char kRunLogHeaderStart[] = "Installer ";

// "2026-12-09 03:15:02.123 text\r\n"; line breaks inside text become spaces,
// so that every event is one line.
std::string FormatLogLine(const LogTime& t, const std::string& utf8);

// Of the file names in a folder, the default-named logs to delete so that the
// keep newest remain (the names sort by their time).
std::vector<std::wstring> LogsToRemove(std::vector<std::wstring> names, std::size_t keep);

constexpr std::size_t kLogsKept = 10;

// The access list (SDDL) of the default logs' folder (sys/work_folder.h's
// kLogFolderName in the work folder): users may read the logs, only
// Administrators and SYSTEM may write them, so that nobody's unelevated
// processes can change what they say or where they go; what is made in it
// inherits that.
std::wstring LogFolderSecurity();

#include "sys/log.h"

// The run's log as a sink of the program's lines (sys/log.h): lines that
// come before the file is open wait for it and are written first.
sys::ILogSink& RunLog();

// Opens the log: path, or a new default-named file in the work folder's
// logs folder (the older ones beyond the newest kLogsKept removed). Nothing is written
// through a link, into a file with a second name, or into a file this
// program did not write (then a new file with a numbered name is made beside
// it). Lines logged before are written first. False when it could not be
// opened; logging goes on to the debugger only.
bool OpenRunLog(const std::wstring& path);
std::wstring RunLogPath();
