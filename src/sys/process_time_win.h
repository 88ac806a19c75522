#pragma once
// When a process started, as one number (a FILETIME's 100-ns ticks): with
// its id it names the process even after the id has gone to another.
#include <windows.h>

namespace sys {

// 0 when it cannot be read.
inline unsigned long long CreationTime(HANDLE process) {
    FILETIME created = {}, exited = {}, kernel = {}, user = {};
    if (!::GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
    return (static_cast<unsigned long long>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
}

// Now, as the same kind of number.
inline unsigned long long NowFileTime() {
    FILETIME now = {};
    ::GetSystemTimeAsFileTime(&now);
    return (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

}  // namespace sys
