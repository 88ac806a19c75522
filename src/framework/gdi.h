#pragma once
// Scoped device contexts, GDI objects and selections, and the window font.
#include <windows.h>

#include <string>

#include "sys/handle_win.h"

namespace fw {

class CClientDC {  // GetDC ... ReleaseDC
public:
    explicit CClientDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::GetDC(hwnd)) {}
    ~CClientDC() { if (m_dc) ::ReleaseDC(m_hwnd, m_dc); }
    CClientDC(const CClientDC&) = delete;
    CClientDC& operator=(const CClientDC&) = delete;
    HDC Get() const { return m_dc; }
private:
    HWND m_hwnd;
    HDC m_dc;
};

class CPaintDC {  // BeginPaint ... EndPaint
public:
    explicit CPaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(::BeginPaint(hwnd, &m_paint)) {}
    ~CPaintDC() { ::EndPaint(m_hwnd, &m_paint); }
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
    HDC Get() const { return m_dc; }
private:
    HWND m_hwnd;
    PAINTSTRUCT m_paint = {};
    HDC m_dc;
};

struct CMemoryDCTraits {  // CreateCompatibleDC ... DeleteDC
    static HDC Invalid() { return nullptr; }
    static void Close(HDC dc) { ::DeleteDC(dc); }
};
using CMemoryDC = sys::CUniqueHandle<CMemoryDCTraits, HDC>;

template <class T>
struct CGdiObjectTraits {
    static T Invalid() { return nullptr; }
    static void Close(T object) { ::DeleteObject(object); }
};
using CBitmap = sys::CUniqueHandle<CGdiObjectTraits<HBITMAP>, HBITMAP>;
using CBrush = sys::CUniqueHandle<CGdiObjectTraits<HBRUSH>, HBRUSH>;
using CPen = sys::CUniqueHandle<CGdiObjectTraits<HPEN>, HPEN>;
using CGdiFont = sys::CUniqueHandle<CGdiObjectTraits<HFONT>, HFONT>;

class CSelectObject {  // selects back what was there before
public:
    CSelectObject(HDC dc, HGDIOBJ object) : m_dc(dc), m_old(::SelectObject(dc, object)) {}
    ~CSelectObject() { ::SelectObject(m_dc, m_old); }
    CSelectObject(const CSelectObject&) = delete;
    CSelectObject& operator=(const CSelectObject&) = delete;
private:
    HDC m_dc;
    HGDIOBJ m_old;
};

class CFont {
public:
    // Size in tenths of a point, turned into pixels at a density of dpi dots
    // per inch, as the classic framework does at the screen's.
    bool CreatePointFontAt(int tenthsOfPoint, const std::wstring& face, int dpi);
    HFONT Get() const { return m_font.Get(); }
    int PointTenths() const { return m_tenths; }
private:
    CGdiFont m_font;
    int m_tenths = 0;
};

}  // namespace fw
