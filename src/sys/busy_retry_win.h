#pragma once
// Virus scanners and indexers open new files for a moment: a step that fails
// because the file is busy (shared, locked, or not yet let go) is tried again
// for a while, as long as the settings say, before it counts as failed.
#include <windows.h>

#include "sys/file_rules.h"
#include "sys/settings.h"

namespace sys {

// step: returns true when it worked and leaves the error in GetLastError()
// when it did not. The last error stays for the caller.
template <class Step>
bool RetryWhileBusy(Step step) {
    const ULONGLONG until = ::GetTickCount64() + g_settings.busyFileRetryMs;
    for (;;) {
        if (step()) return true;
        const DWORD error = ::GetLastError();
        if (!IsBusyError(error) || ::GetTickCount64() >= until) {
            ::SetLastError(error);
            return false;
        }
        ::Sleep(50);
    }
}

}  // namespace sys
