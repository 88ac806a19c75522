#include "sys/os_version.h"

#include "sys/text_util.h"

#include <cwctype>

namespace {

// A plain decimal number without leading zeros; -1 otherwise.
long ReadComponent(const std::wstring& text) {
    if (text.empty() || text.size() > 6 || (text.size() > 1 && text[0] == L'0')) return -1;
    long value = 0;
    for (wchar_t c : text) {
        if (!std::iswdigit(c)) return -1;
        value = value * 10 + (c - L'0');
    }
    return value;
}

}  // namespace

const wchar_t* WindowsName(WindowsVersion version) {
    switch (version) {
    case WindowsVersion::Nt4: return L"Windows NT 4.0";
    case WindowsVersion::Win2000: return L"Windows 2000";
    case WindowsVersion::Xp: return L"Windows XP";
    case WindowsVersion::XpX64OrServer2003: return L"Windows XP x64 or Server 2003";
    case WindowsVersion::Vista: return L"Windows Vista";
    case WindowsVersion::Win7: return L"Windows 7";
    case WindowsVersion::Win8: return L"Windows 8";
    case WindowsVersion::Win81: return L"Windows 8.1";
    case WindowsVersion::Win10: return L"Windows 10 or later";
    case WindowsVersion::Unknown: break;
    }
    return L"an unknown Windows";
}

std::vector<std::wstring> SplitVersionComponents(const std::wstring& version) { return Split(version, L'.'); }

WindowsVersion ClassifyOsVersion(const std::wstring& version) {
    const auto parts = SplitVersionComponents(version);
    if (parts.size() < 2) return WindowsVersion::Unknown;
    const long major = ReadComponent(parts[0]), minor = ReadComponent(parts[1]);
    if (major == 4) return WindowsVersion::Nt4;  // every 4.x
    if (major < 0 || minor < 0) return WindowsVersion::Unknown;
    if (major >= 10) return WindowsVersion::Win10;
    static const struct { long major, minor; WindowsVersion version; } table[] = {
        {6, 3, WindowsVersion::Win81}, {6, 2, WindowsVersion::Win8}, {6, 1, WindowsVersion::Win7},
        {6, 0, WindowsVersion::Vista}, {5, 2, WindowsVersion::XpX64OrServer2003}, {5, 1, WindowsVersion::Xp},
        {5, 0, WindowsVersion::Win2000},
    };
    for (const auto& row : table)
        if (major == row.major && minor == row.minor) return row.version;
    return WindowsVersion::Unknown;
}
