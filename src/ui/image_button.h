#pragma once
// A push button that draws itself: colour fill, optional frame, a face image
// with a transparent colour, and the caption, by state.
#include "framework/gdi.h"
#include "framework/wnd.h"

class CImageButton : public fw::CSubclassWnd {
public:
    // Where the image sits against the caption (SetArrangement).
    enum Arrangement : BYTE { kImageLeft = 0, kImageAbove = 1, kImageRight = 2, kCaptionOverImage = 3 };
    enum ColorIndex { kBkHover, kFgHover, kBkNormal, kFgNormal, kBkFocus, kFgFocus, kColorCount };
    enum Error { kOk = 0, kNoBitmapSize = 1, kNoMask = 2, kBadColorIndex = 3, kBadArrangement = 4,
                 kBadShiftStyle = 6 };

    CImageButton();

    DWORD SetFaceImages(UINT imageId, COLORREF transparent, UINT secondId = 0, COLORREF secondTransparent = 0);
    DWORD SetArrangement(BYTE arrangement, bool repaint = true);
    DWORD SetStateColor(int index, COLORREF color, bool repaint = true);
    DWORD EnableHoverBorder(bool enable, bool repaint = true);
    DWORD ResetStateColors(bool repaint = true);
    DWORD SetPressedShift(int style, bool repaint = true);

    COLORREF StateColor(int index) const { return m_colors[index]; }

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wp, LPARAM lp) override;

    virtual void DrawFaceBackground(HDC dc, RECT& rect);
    virtual void DrawFaceBorder(HDC dc, const RECT& rect);
    virtual void DrawFaceImage(HDC dc, const RECT& imageRect);
    virtual void DrawFaceCaption(HDC dc, const std::wstring& caption, RECT area);

private:
    struct CImage {
        fw::CBitmap bitmap, mask;
        int width = 0, height = 0;
    };

    void DrawItem(const DRAWITEMSTRUCT& item);
    void LayOut(const RECT& button, bool hasCaption, RECT& image, RECT& caption) const;
    void OnMouseMove();
    void LeaveHover();
    void OnEnable(bool enabled);
    LRESULT OnSetStyle(WPARAM wp, LPARAM lp);
    DWORD LoadImageSlot(CImage& slot, UINT id, COLORREF transparent);
    void ReleaseImages();
    void RepaintIf(bool repaint) { if (repaint && m_hWnd) Invalidate(); }
    bool Highlighted() const { return m_mouseOver || m_pressed; }

    bool m_showDisabledImage = true;
    POINT m_imageOrigin = {3, 3};
    POINT m_pressedShift = {1, 1};
    bool m_flat = true;
    bool m_mouseOver = false;
    bool m_pressed = false, m_focused = false, m_disabled = false;
    bool m_isDefault = false;
    BYTE m_arrangement = 0;
    bool m_hoverBorder = true;
    bool m_flatFocus = false;
    bool m_alwaysTrack = true;
    COLORREF m_colors[kColorCount] = {};
    CImage m_images[2];
};

// The product's look for a button: the face image over the whole button,
// the caption white in every state and centred over it, no hover frame.
void ApplyProductLook(CImageButton& button, UINT faceImageId, HFONT font);
