#pragma once
#include <string>
#include <vector>

// 0 not recognised, 1 NT 4.x, 2 XP, 3 2000, 4 XP x64 / Server 2003, 5 Vista,
// 6 Windows 7, 7 Windows 8, 8 Windows 8.1, 9 Windows 10 and later.
using OsVersionClass = int;

// Splits like a getline loop with '.' as delimiter: no trailing empty part.
std::vector<std::wstring> SplitVersionComponents(const std::wstring& version);

OsVersionClass ClassifyOsVersion(const std::wstring& version);

// Reads Win32_OperatingSystem.Version through WMI and classifies it; 0 when
// the query fails. Initialises and undoes COM on the calling thread.
OsVersionClass QueryOsVersion();

// Reads one string property of every instance of a WMI class on this machine;
// value holds the last instance's text. False when COM, the connection, the
// proxy security or the query failed.
bool QueryWmiProperty(const std::string& className, const std::wstring& propertyName,
                      std::wstring& value);
