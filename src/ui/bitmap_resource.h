#pragma once
#include <windows.h>
#include <objidl.h>
#include <gdiplus.h>

#include <memory>

// A 32-bit bitmap resource with its alpha, copied as it is: no codec to load
// or decode with, which would hold up the window's first paint.
std::unique_ptr<Gdiplus::Bitmap> LoadAlphaBitmapResource(UINT id);
