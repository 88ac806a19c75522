#include "ui/image_button.h"

#include <windowsx.h>

#include <memory>

#include <utility>

#include "ui/product_font.h"
#include "ui/scale.h"
#include "ui/screen_density.h"

CImageButton::CImageButton() { ResetStateColors(false); }

// ---- setters ----

DWORD CImageButton::LoadImageSlot(CImage& slot, UINT id, COLORREF transparent) {
    slot.bitmap.Reset(static_cast<HBITMAP>(::LoadImageW(::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
    BITMAP info = {};
    if (!slot.bitmap.Valid() || !::GetObjectW(slot.bitmap.Get(), sizeof info, &info)) return kNoBitmapSize;
    slot.width = info.bmWidth;
    slot.height = info.bmHeight;
    if (m_faceSize.cx > 0 && (m_faceSize.cx != slot.width || m_faceSize.cy != slot.height)) ScaleSlot(slot);

    // Mask: set where the image has the transparent colour; those image pixels
    // then turn black so that AND-then-OR lets the background through.
    slot.mask.Reset(::CreateBitmap(slot.width, slot.height, 1, 1, nullptr));
    fw::CMemoryDC imageDC(::CreateCompatibleDC(nullptr)), maskDC(::CreateCompatibleDC(nullptr));
    if (!slot.mask.Valid() || !imageDC.Valid() || !maskDC.Valid()) return kNoMask;
    fw::CSelectObject selectImage(imageDC.Get(), slot.bitmap.Get());
    fw::CSelectObject selectMask(maskDC.Get(), slot.mask.Get());
    ::SetBkColor(imageDC.Get(), transparent);
    ::BitBlt(maskDC.Get(), 0, 0, slot.width, slot.height, imageDC.Get(), 0, 0, SRCCOPY);
    ::SetBkColor(imageDC.Get(), RGB(0, 0, 0));
    ::SetTextColor(imageDC.Get(), RGB(255, 255, 255));
    ::BitBlt(imageDC.Get(), 0, 0, slot.width, slot.height, maskDC.Get(), 0, 0, SRCAND);
    return kOk;
}

// Drawn for another density: smoothly to the face size.
void CImageButton::ScaleSlot(CImage& slot) const {
    fw::CClientDC screen(nullptr);
    fw::CBitmap scaled(::CreateCompatibleBitmap(screen.Get(), m_faceSize.cx, m_faceSize.cy));
    fw::CMemoryDC from(::CreateCompatibleDC(screen.Get())), to(::CreateCompatibleDC(screen.Get()));
    if (!scaled.Valid() || !from.Valid() || !to.Valid()) return;
    {
        fw::CSelectObject selectFrom(from.Get(), slot.bitmap.Get());
        fw::CSelectObject selectTo(to.Get(), scaled.Get());
        ::SetStretchBltMode(to.Get(), HALFTONE);
        ::SetBrushOrgEx(to.Get(), 0, 0, nullptr);
        ::StretchBlt(to.Get(), 0, 0, m_faceSize.cx, m_faceSize.cy, from.Get(), 0, 0, slot.width, slot.height, SRCCOPY);
    }
    slot.bitmap = std::move(scaled);
    slot.width = m_faceSize.cx;
    slot.height = m_faceSize.cy;
}

void CImageButton::SetFrames(COLORREF frame, COLORREF focus, int width) {
    m_frame = frame;
    m_focusFrame = focus;
    m_frameWidth = width;
    RepaintIf(true);
}

void CImageButton::ReleaseImages() {
    for (auto& slot : m_images) slot = CImage();
}

DWORD CImageButton::SetFaceImages(UINT imageId, COLORREF transparent, UINT secondId,
                                  COLORREF secondTransparent) {
    ReleaseImages();
    DWORD error = LoadImageSlot(m_images[0], imageId, transparent);
    if (error == kOk && secondId != 0) error = LoadImageSlot(m_images[1], secondId, secondTransparent);
    if (error != kOk) ReleaseImages();
    RepaintIf(true);
    return error;
}

DWORD CImageButton::SetArrangement(BYTE arrangement, bool repaint) {
    if (arrangement > kCaptionOverImage) return kBadArrangement;
    m_arrangement = arrangement;
    RepaintIf(repaint);
    return kOk;
}

DWORD CImageButton::SetStateColor(int index, COLORREF color, bool repaint) {
    if (index < 0 || index >= kColorCount) return kBadColorIndex;
    m_colors[index] = color;
    RepaintIf(repaint);
    return kOk;
}

DWORD CImageButton::EnableHoverBorder(bool enable, bool repaint) {
    m_hoverBorder = enable;
    RepaintIf(repaint);
    return kOk;
}

DWORD CImageButton::ResetStateColors(bool repaint) {
    for (int i = 0; i < kColorCount; ++i)
        m_colors[i] = ::GetSysColor(i % 2 == 0 ? COLOR_BTNFACE : COLOR_BTNTEXT);
    RepaintIf(repaint);
    return kOk;
}

// ---- binding and messages ----

void CImageButton::PreSubclassWindow() {
    LONG_PTR style = ::GetWindowLongPtrW(m_hWnd, GWL_STYLE);
    if ((style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) m_isDefault = true;
    style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | BS_OWNERDRAW;
    ::SetWindowLongPtrW(m_hWnd, GWL_STYLE, style);
    ::SetWindowPos(m_hWnd, nullptr, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

LRESULT CImageButton::OnSetStyle(WPARAM wp, LPARAM lp) {
    const UINT type = static_cast<UINT>(wp) & BS_TYPEMASK;
    if (type == BS_DEFPUSHBUTTON) m_isDefault = true;
    else if (type == BS_PUSHBUTTON) m_isDefault = false;
    return Default(BM_SETSTYLE, (wp & ~static_cast<WPARAM>(BS_TYPEMASK)) | BS_OWNERDRAW, lp);
}

void CImageButton::OnMouseMove() {
    POINT cursor = {};
    ::GetCursorPos(&cursor);
    HWND under = ::WindowFromPoint(cursor);
    if ((::GetKeyState(VK_LBUTTON) & 0x8000) && !m_mouseOver) return;  // a drag entering
    if (!m_flat) return;
    const bool activeOk = m_alwaysTrack || ::GetActiveWindow() != nullptr;
    if (under == m_hWnd && activeOk) {
        if (!m_mouseOver) {
            m_mouseOver = true;
            Invalidate();
            TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, m_hWnd, 0};
            ::TrackMouseEvent(&track);
        }
    } else {
        LeaveHover();
    }
}

void CImageButton::LeaveHover() {
    if (m_flat && m_mouseOver) {
        m_mouseOver = false;
        Invalidate();
    }
}

void CImageButton::OnEnable(bool enabled) {
    if (enabled) return;
    HWND parent = ::GetParent(m_hWnd);
    HWND next = ::GetNextDlgTabItem(parent, m_hWnd, FALSE);
    ::SetFocus(next && next != m_hWnd ? next : parent);
    LeaveHover();
}

LRESULT CImageButton::WindowProc(UINT message, WPARAM wp, LPARAM lp) {
    switch (message) {
    case WM_MOUSEMOVE: {
        const LRESULT result = Default(message, wp, lp);
        OnMouseMove();
        return result;
    }
    case WM_MOUSELEAVE: LeaveHover(); return 0;
    case WM_KILLFOCUS: case WM_CANCELMODE: LeaveHover(); break;
    case WM_ACTIVATE: if (LOWORD(wp) == WA_INACTIVE) LeaveHover(); break;
    case WM_ENABLE: OnEnable(wp != FALSE); break;
    case WM_UPDATEUISTATE: {  // the keyboard was used: the focus shows from now on
        const LRESULT result = Default(message, wp, lp);
        Invalidate();
        return result;
    }
    case WM_GETDLGCODE:
        return Default(message, wp, lp) | (m_isDefault ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case BM_SETSTYLE: return OnSetStyle(wp, lp);
    case fw::kReflectDrawItem: DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lp)); return TRUE;
    case fw::kReflectCtlColor: return reinterpret_cast<LRESULT>(::GetStockObject(HOLLOW_BRUSH));
    case fw::kReflectCommand:
        if (HIWORD(wp) == BN_CLICKED) ::SetFocus(m_hWnd);
        return 0;
    default: break;
    }
    return Default(message, wp, lp);
}

// ---- drawing ----

void CImageButton::LayOut(const RECT& button, bool hasCaption, RECT& image, RECT& caption) const {
    const int width = m_images[0].width, height = m_images[0].height;
    const int bw = button.right - button.left, bh = button.bottom - button.top;
    int x = button.left + (bw - width) / 2, y = button.top + (bh - height) / 2;
    caption = button;
    switch (m_arrangement) {
    case kImageLeft:
        if (hasCaption) {
            x = button.left + m_imageOrigin.x;
            caption.left = x + width + m_imageOrigin.x;
        }
        break;
    case kImageAbove:
        if (hasCaption) {
            y = button.top + m_imageOrigin.y;
            caption.top = y + height;
        }
        break;
    case kImageRight:
        if (hasCaption) {
            x = button.right - m_imageOrigin.x - width;
            caption.left = button.left + m_imageOrigin.x;
            caption.right = x;
        }
        break;
    default: break;  // kCaptionOverImage: the caption over the centred image
    }
    image = {x, y, x + width, y + height};
    if (m_pressed) ::OffsetRect(&image, m_pressedShift.x, m_pressedShift.y);
}

void CImageButton::DrawItem(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    fw::CSelectObject font(dc, reinterpret_cast<HGDIOBJ>(SendMessage(WM_GETFONT)));
    m_pressed = (item.itemState & ODS_SELECTED) != 0;
    m_focused = (item.itemState & ODS_FOCUS) != 0;
    m_disabled = (item.itemState & ODS_DISABLED) != 0;
    ::SetBkMode(dc, TRANSPARENT);

    RECT rect = item.rcItem;
    DrawFaceBackground(dc, rect);
    DrawFaceBorder(dc, rect);
    const std::wstring caption = GetWindowText();
    RECT imageRect = {}, captionRect = {};
    LayOut(item.rcItem, !caption.empty(), imageRect, captionRect);
    if (m_images[0].bitmap.Valid()) DrawFaceImage(dc, imageRect);
    if (!caption.empty()) DrawFaceCaption(dc, caption, captionRect);
    if (m_frame != CLR_INVALID) {
        fw::CBrush frame(::CreateSolidBrush(m_frame));
        ::FrameRect(dc, &item.rcItem, frame.Get());
    }
    if (m_focused && m_focusFrame != CLR_INVALID && FocusCuesShown()) DrawFocus(dc, item.rcItem);
    else if (m_focused && (!m_flat || m_flatFocus)) {
        RECT focus = item.rcItem;
        ::InflateRect(&focus, -3, -3);
        ::DrawFocusRect(dc, &focus);
    }
}

// Windows' rule: focus cues once the keyboard has been used in the window.
bool CImageButton::FocusCuesShown() {
    return (SendMessage(WM_QUERYUISTATE) & UISF_HIDEFOCUS) == 0;
}

void CImageButton::DrawFocus(HDC dc, const RECT& button) const {
    fw::CBrush brush(::CreateSolidBrush(m_focusFrame));
    RECT ring = button;
    const int inset = 2 * m_frameWidth + 1;
    ::InflateRect(&ring, -inset, -inset);
    for (int i = 0; i < m_frameWidth; ++i) {
        ::FrameRect(dc, &ring, brush.Get());
        ::InflateRect(&ring, -1, -1);
    }
}

void CImageButton::DrawFaceBackground(HDC dc, RECT& rect) {
    if (!m_flat && (m_focused || m_isDefault)) {
        fw::CBrush black(::CreateSolidBrush(RGB(0, 0, 0)));
        ::FrameRect(dc, &rect, black.Get());
        ::InflateRect(&rect, -1, -1);
    }
    const COLORREF fill = Highlighted() ? m_colors[kBkHover] : m_focused ? m_colors[kBkFocus] : m_colors[kBkNormal];
    fw::CBrush brush(::CreateSolidBrush(fill));
    ::FillRect(dc, &rect, brush.Get());
}

void CImageButton::DrawFaceBorder(HDC dc, const RECT& rect) {
    RECT r = rect;
    if (m_flat) {
        if (m_pressed && m_hoverBorder) ::DrawEdge(dc, &r, BDR_SUNKENOUTER, BF_RECT);
        else if (!m_pressed && m_mouseOver && m_hoverBorder) ::DrawEdge(dc, &r, BDR_RAISEDINNER, BF_RECT);
        return;
    }
    if (m_pressed) {
        fw::CBrush shadow(::CreateSolidBrush(::GetSysColor(COLOR_BTNSHADOW)));
        ::FrameRect(dc, &r, shadow.Get());
    } else {
        ::DrawEdge(dc, &r, EDGE_RAISED, BF_RECT);
    }
}

void CImageButton::DrawFaceImage(HDC dc, const RECT& imageRect) {
    const bool useFirst = m_pressed || m_mouseOver || !m_images[1].bitmap.Valid();
    const CImage& image = m_images[useFirst ? 0 : 1];
    fw::CMemoryDC source(::CreateCompatibleDC(dc));
    const int x = imageRect.left, y = imageRect.top, w = image.width, h = image.height;
    if (m_disabled && m_showDisabledImage) {
        // Compose the face over the fill colour, then let the system grey it.
        fw::CBitmap composed(::CreateCompatibleBitmap(dc, w, h));
        fw::CMemoryDC target(::CreateCompatibleDC(dc));
        {
            fw::CSelectObject selectTarget(target.Get(), composed.Get());
            RECT all = {0, 0, w, h};
            fw::CBrush fill(::CreateSolidBrush(m_colors[kBkNormal]));
            ::FillRect(target.Get(), &all, fill.Get());
            ::SetBkColor(target.Get(), RGB(255, 255, 255));
            ::SetTextColor(target.Get(), RGB(0, 0, 0));
            fw::CSelectObject selectMask(source.Get(), image.mask.Get());
            ::BitBlt(target.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCAND);
            fw::CSelectObject selectImage(source.Get(), image.bitmap.Get());
            ::BitBlt(target.Get(), 0, 0, w, h, source.Get(), 0, 0, SRCPAINT);
        }
        ::DrawStateW(dc, nullptr, nullptr, reinterpret_cast<LPARAM>(composed.Get()), 0, x, y, w, h,
                     DST_BITMAP | DSS_DISABLED);
        return;
    }
    ::SetBkColor(dc, RGB(255, 255, 255));
    ::SetTextColor(dc, RGB(0, 0, 0));
    {
        fw::CSelectObject selectMask(source.Get(), image.mask.Get());
        ::BitBlt(dc, x, y, w, h, source.Get(), 0, 0, SRCAND);
    }
    fw::CSelectObject selectImage(source.Get(), image.bitmap.Get());
    ::BitBlt(dc, x, y, w, h, source.Get(), 0, 0, SRCPAINT);
}

void CImageButton::DrawFaceCaption(HDC dc, const std::wstring& caption, RECT area) {
    if (m_pressed) ::OffsetRect(&area, m_pressedShift.x, m_pressedShift.y);
    // Another font than the one the catalogue was checked with may be wider.
    m_captionTenths = kProductFontTenths;
    std::unique_ptr<fw::CSelectObject> smaller;
    if (m_captionMargin >= 0) {
        const int room = (area.right - area.left) - 2 * m_captionMargin;
        const auto fits = [&](HFONT font) {
            fw::CSelectObject select(dc, font);
            SIZE size = {};
            ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
            return size.cx <= room;
        };
        if (!fits(static_cast<HFONT>(::GetCurrentObject(dc, OBJ_FONT)))) {
            m_captionTenths = FittingFontTenths(m_dpi, fits, m_fittedFont);
            smaller = std::make_unique<fw::CSelectObject>(dc, m_fittedFont.Get());
        }
    }
    RECT measured = area;
    ::DrawTextW(dc, caption.c_str(), -1, &measured, DT_CALCRECT | DT_WORDBREAK | DT_CENTER);
    const int textWidth = measured.right - measured.left, textHeight = measured.bottom - measured.top;
    RECT text = area;
    ::OffsetRect(&text, ((area.right - area.left) - textWidth) / 2, ((area.bottom - area.top) - textHeight) / 2);
    text.right = text.left + textWidth;
    text.bottom = text.top + textHeight;
    if (m_disabled) {
        RECT shifted = text;
        ::OffsetRect(&shifted, 1, 1);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNHIGHLIGHT));
        ::DrawTextW(dc, caption.c_str(), -1, &shifted, DT_WORDBREAK | DT_CENTER);
        ::SetTextColor(dc, ::GetSysColor(COLOR_BTNSHADOW));
    } else {
        const int fg = Highlighted() ? kFgHover : m_focused ? kFgFocus : kFgNormal;
        ::SetTextColor(dc, m_colors[fg]);
        ::SetBkColor(dc, m_colors[fg - 1]);
    }
    ::DrawTextW(dc, caption.c_str(), -1, &text, DT_WORDBREAK | DT_CENTER);
}

void ApplyProductLook(CImageButton& button, const UINT (&faces)[3], HFONT font, int dpi, bool highContrast) {
    const RECT size = button.GetClientRect();
    button.SetFaceSize(size.right, size.bottom);
    button.SetCaptionFit(dpi, Scaled(8, dpi));
    if (highContrast) {
        button.RemoveFaceImages();
        button.ResetStateColors(false);
        button.SetFrames(::GetSysColor(COLOR_BTNTEXT), ::GetSysColor(COLOR_HIGHLIGHT), Scaled(2, dpi));
    } else {
        button.SetFaceImages(ArtworkFor(dpi, faces), RGB(0, 0, 0));
        for (int index : {CImageButton::kFgFocus, CImageButton::kFgNormal, CImageButton::kFgHover})
            button.SetStateColor(index, RGB(255, 255, 255), false);
        button.SetFrames(CLR_INVALID, RGB(255, 255, 255), Scaled(2, dpi));
    }
    button.SetFont(font, true);
    button.SetArrangement(CImageButton::kCaptionOverImage, true);
    button.EnableHoverBorder(false, true);
}
