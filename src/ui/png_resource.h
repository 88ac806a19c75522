#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

#include "sys/com_win.h"

// A GDI+ image decoded from a PNG resource. The stream over the encoded bytes
// lives as long as the image, which may read it again while drawing.
struct CPngImage {
    sys::CComPtr<IStream> stream;
    std::unique_ptr<Gdiplus::Image> image;  // released before the stream
};

bool LoadPngResource(UINT id, const wchar_t* type, CPngImage& out);
