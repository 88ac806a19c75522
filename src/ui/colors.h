#pragma once
// The product's colours, and white text straight on the painted background.
#include <windows.h>

constexpr COLORREF kBackgroundColor = RGB(9, 147, 221);

// The answer to a control-colour request for a text control that shows white
// text in font with the window's background showing through.
inline HBRUSH WhiteTextOnBackground(HDC dc, HFONT font) {
    ::SetTextColor(dc, RGB(255, 255, 255));
    ::SetBkMode(dc, TRANSPARENT);
    ::SelectObject(dc, font);
    return static_cast<HBRUSH>(::GetStockObject(HOLLOW_BRUSH));
}
