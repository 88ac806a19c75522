#include "ui/cancel_button.h"

#include <algorithm>

#include "framework/gdi.h"
#include "ui/colors.h"

LRESULT CCancelButton::WindowProc(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case fw::kReflectDrawItem: DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lp)); return TRUE;
    case fw::kReflectCtlColor: return reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH));
    case WM_UPDATEUISTATE: {  // the keyboard was used: the focus shows from now on
        const LRESULT result = Default(message, wp, lp);
        Invalidate();
        return result;
    }
    default: break;
    }
    return Default(message, wp, lp);
}

void CCancelButton::DrawItem(const DRAWITEMSTRUCT& item) const {
    const HDC dc = item.hDC;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0, focused = (item.itemState & ODS_FOCUS) != 0;
    const COLORREF back = m_highContrast ? ::GetSysColor(pressed ? COLOR_HIGHLIGHT : COLOR_BTNFACE)
                                         : pressed ? RGB(0, 90, 160) : RGB(255, 255, 255);
    const COLORREF cross = m_highContrast ? ::GetSysColor(pressed ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT)
                                          : pressed ? RGB(255, 255, 255) : kBackgroundColor;
    RECT rect = item.rcItem;
    fw::CBrush fill(::CreateSolidBrush(back));
    ::FillRect(dc, &rect, fill.Get());
    if (m_highContrast) {
        fw::CBrush frame(::CreateSolidBrush(::GetSysColor(COLOR_BTNTEXT)));
        ::FrameRect(dc, &rect, frame.Get());
    }
    // The cross, a third of the button in from each side, two pixels thick at 100 %.
    const int size = std::min(rect.right - rect.left, rect.bottom - rect.top);
    const int inset = size / 3, pen = std::max(1, size / 8);
    const int left = rect.left + (rect.right - rect.left - size) / 2 + inset, top = rect.top + (rect.bottom - rect.top - size) / 2 + inset;
    const int span = size - 2 * inset;
    fw::CPen line(::CreatePen(PS_SOLID, pen, cross));
    fw::CSelectObject select(dc, line.Get());
    ::MoveToEx(dc, left, top, nullptr);
    ::LineTo(dc, left + span, top + span);
    ::MoveToEx(dc, left + span, top, nullptr);
    ::LineTo(dc, left, top + span);
    if (focused && (::SendMessageW(m_hWnd, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) == 0) {
        RECT ring = item.rcItem;
        ::InflateRect(&ring, -1, -1);
        ::DrawFocusRect(dc, &ring);
    }
}
