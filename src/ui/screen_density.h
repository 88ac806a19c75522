#pragma once
// The density a window is shown at, and which drawn artwork suits it.
#include <windows.h>

// Dots per inch of the window's monitor (Windows 10 1607 and later), else of
// the screen; 96 is 100 %.
int WindowDpi(HWND window);

// The artwork drawn for 100, 150 and 200 % nearest above dpi (the largest
// above 200 %): scaled down it stays sharp. Percent.
int ArtworkPercent(int dpi);
// Of the resources drawn for 100, 150 and 200 %, the one for ArtworkPercent(dpi).
UINT ArtworkFor(int dpi, const UINT (&drawings)[3]);

// The per-monitor scaling the dialog manager would do by itself (Windows 10
// 1703 and later, SetDialogDpiChangeBehavior) is switched off: the dialog
// lays itself out anew at each density.
void TakeOverDialogScaling(HWND dialog);
