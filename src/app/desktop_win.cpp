#include "app/desktop_win.h"

#include <windows.h>

#include "quiet/command_line.h"

bool DesktopVisible() {
#ifdef INSTALLER_PRETEND_NO_VISIBLE_DESKTOP  // a test build: as a service's session would be
    return false;
#else
    DesktopFacts facts;
    USEROBJECTFLAGS flags = {};
    facts.stationRead = ::GetUserObjectInformationW(::GetProcessWindowStation(), UOI_FLAGS, &flags, sizeof flags, nullptr);
    facts.stationVisible = (flags.dwFlags & WSF_VISIBLE) != 0;
    DWORD session = 0;
    facts.sessionRead = ::ProcessIdToSessionId(::GetCurrentProcessId(), &session) != FALSE;
    facts.session = session;
    return DesktopVisible(facts);
#endif
}
