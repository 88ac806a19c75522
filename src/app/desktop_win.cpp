#include "app/desktop_win.h"

#include <windows.h>

bool DesktopVisible() {
#ifdef INSTALLER_PRETEND_NO_VISIBLE_DESKTOP  // a test build: as a service's session would be
    return false;
#else
    USEROBJECTFLAGS flags = {};
    // When the station cannot be asked, a window is the safer guess: it is what the user started.
    if (!::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr))
        return true;
    return (flags.dwFlags & WSF_VISIBLE) != 0;
#endif
}
