#pragma once
#include <windows.h>

#include <functional>

#include "framework/gdi.h"

constexpr int kProductFontTenths = 150;  // 15 points
constexpr int kSmallestFontTenths = 90;  // a text that does not fit shrinks to 9 points at most

// The product's text font ("Microsoft JhengHei") at tenths of a point, at the
// window's density: at 96 dpi 15 points are 20 pixels, at 192 dpi 40.
void CreateProductFont(int dpi, fw::CFont& font, int tenths = kProductFontTenths);

// The largest size from kProductFontTenths down to kSmallestFontTenths, in
// steps of half a point, at which fits(font) holds; the smallest when none does.
int FittingFontTenths(int dpi, const std::function<bool(HFONT)>& fits, fw::CFont& font);
