#pragma once
#include <windows.h>

#include <functional>
#include <string>

#include "framework/gdi.h"

constexpr int kProductFontTenths = 150;  // 15 points
constexpr int kSmallestFontTenths = 90;  // a text that does not fit shrinks to 9 points at most

// Chooses, once before the window is made, the face of the UI language's
// script (ui/text_face.h) among those installed; the log names it.
void UseTextFaceFor(const std::wstring& language);
// The face chosen; the product face until one is.
const std::wstring& TextFace();
// Whether a font family of this name is installed (or, under Wine, mapped).
bool FaceInstalled(const std::wstring& face);

// The window's text font at tenths of a point, at the window's density: at
// 96 dpi 15 points are 20 pixels, at 192 dpi 40. In the chosen face unless
// one is given.
void CreateProductFont(int dpi, fw::CFont& font, int tenths = kProductFontTenths, const std::wstring& face = TextFace());

// The largest size from kProductFontTenths down to kSmallestFontTenths, in
// steps of half a point, at which fits(font) holds; the smallest when none does.
int FittingFontTenths(int dpi, const std::function<bool(HFONT)>& fits, fw::CFont& font);
