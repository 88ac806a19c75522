#pragma once
#include <windows.h>

#include "framework/gdi.h"

// The product's text font ("Microsoft JhengHei", 15 points at 96 dots per
// inch) for a window. The program declares itself DPI-aware and keeps its
// layout in unscaled pixels, so the size is divided by the screen's scale:
// the text keeps its pixel height and fits the layout at every density.
void CreateProductFont(HWND window, fw::CFont& font);
