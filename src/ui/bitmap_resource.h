#pragma once
#include <windows.h>

#include <optional>

#include "ui/dib_pixels.h"

// The pixels of a 32-bit bitmap resource with its alpha, read in place (the
// program's resources stay mapped while it runs): no codec to load or decode
// with, which would hold up the window's first paint.
std::optional<DibPixels> FindAlphaBitmap(UINT id);
