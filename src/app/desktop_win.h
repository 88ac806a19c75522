#pragma once
// Whether anybody could see a window of this process.

// False in session 0, where deployment tools start the program as SYSTEM,
// and in a window station that is not visible (quiet/command_line.h).
bool DesktopVisible();
