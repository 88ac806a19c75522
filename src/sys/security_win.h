#pragma once
// Security descriptors: made from their text, and read back from what a
// handle is open on to tell who may change it.
#include <windows.h>

#include <string>

#include "sys/handle_win.h"

namespace sys {

// The security descriptor an SDDL text describes; invalid when it is no such text.
CLocalMemory SecurityFromSddl(const std::wstring& sddl);

// Who besides Administrators and SYSTEM may change the file or folder open as
// handle (opened with READ_CONTROL), as its own security reads back: empty
// when nobody. Where owners are not recorded (Wine), the one that reads back
// proves nothing either way and the access list alone decides.
std::wstring WhoElseMayChange(HANDLE handle);
// The same for a registry key opened with READ_CONTROL.
std::wstring WhoElseMayChangeKey(HKEY key);

}  // namespace sys
