#pragma once
// Which TLS versions WinHTTP is told to offer. Windows 7 and 8.0 offer only
// TLS 1.0 unless a registry value says more; KB3140245 lets a program that
// names TLS 1.1 and 1.2 itself have them without it. Windows 8.1 and later
// keep the system's own choice (TLS 1.3 included). Portable.
#include "sys/os_version.h"

constexpr unsigned long kSecureProtocolTls11 = 0x0200, kSecureProtocolTls12 = 0x0800;  // WINHTTP_FLAG_SECURE_PROTOCOL_*

// The WINHTTP_OPTION_SECURE_PROTOCOLS flags to set; 0: none, the system's.
inline unsigned long SecureProtocolsFor(WindowsVersion windows) {
    return windows == WindowsVersion::Unknown || AtLeast(windows, WindowsVersion::Win81)
               ? 0
               : kSecureProtocolTls11 | kSecureProtocolTls12;
}
