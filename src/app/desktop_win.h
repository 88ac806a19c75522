#pragma once
// Whether anybody could see a window of this process.

// False in a window station that is not visible: a service's, session 0's,
// where deployment tools start the program as SYSTEM.
bool DesktopVisible();
