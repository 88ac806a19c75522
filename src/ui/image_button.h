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
    enum Error { kOk = 0, kNoBitmapSize = 1, kNoMask = 2, kBadColorIndex = 3, kBadArrangement = 4 };

    CImageButton();

    DWORD SetFaceImages(UINT imageId, COLORREF transparent, UINT secondId = 0, COLORREF secondTransparent = 0);
    DWORD SetArrangement(BYTE arrangement, bool repaint = true);
    DWORD SetStateColor(int index, COLORREF color, bool repaint = true);
    DWORD EnableHoverBorder(bool enable, bool repaint = true);
    DWORD ResetStateColors(bool repaint = true);
    void RemoveFaceImages() { ReleaseImages(); RepaintIf(true); }
    // Face images are scaled smoothly to this size when they are loaded (0: as drawn).
    void SetFaceSize(int width, int height) { m_faceSize = {width, height}; }
    // A caption wider than the button less margin on each side is drawn with
    // the largest smaller product font (at dpi) that fits on one line.
    void SetCaptionFit(int dpi, int margin) { m_dpi = dpi; m_captionMargin = margin; }
    // The frame drawn around the button (CLR_INVALID: none) and, once the
    // keyboard is used, the focus frame inside it, width pixels wide.
    void SetFrames(COLORREF frame, COLORREF focus, int width);

    // The size the caption was last drawn at, in tenths of a point.
    int CaptionTenths() const { return m_captionTenths; }

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
    void DrawFocus(HDC dc, const RECT& button) const;
    bool FocusCuesShown();
    void LayOut(const RECT& button, bool hasCaption, RECT& image, RECT& caption) const;
    void OnMouseMove();
    void LeaveHover();
    void OnEnable(bool enabled);
    LRESULT OnSetStyle(WPARAM wp, LPARAM lp);
    DWORD LoadImageSlot(CImage& slot, UINT id, COLORREF transparent);
    void ScaleSlot(CImage& slot) const;
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
    SIZE m_faceSize = {0, 0};
    int m_dpi = 96, m_captionMargin = -1, m_captionTenths = 0;
    fw::CFont m_fittedFont;
    COLORREF m_frame = CLR_INVALID, m_focusFrame = CLR_INVALID;
    int m_frameWidth = 1;
};

// The product's look for a button: the face image drawn for the density
// nearest above dpi (faces: for 100, 150 and 200 %), scaled to the button,
// the caption white in every state and centred over it, no hover frame, a
// white focus frame. In high contrast: the system's button colours, a frame
// in its text colour, the focus in its highlight colour, and no image.
void ApplyProductLook(CImageButton& button, const UINT (&faces)[3], HFONT font, int dpi, bool highContrast);
