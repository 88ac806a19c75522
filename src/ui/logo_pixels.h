#pragma once
// The logo as the window shows it: the artwork scaled to its size and laid
// over the window's colour, ready to copy to the screen as it is.
#include <cstdint>
#include <vector>

#include "ui/dib_pixels.h"

struct LogoPixels {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // rows top first, 0x00RRGGBB
};

// The artwork scaled smoothly to width x height (sharper when shrunk, soft
// when enlarged) over an opaque background of red, green and blue.
LogoPixels ComposeLogo(const DibPixels& art, int width, int height, std::uint8_t red, std::uint8_t green,
                       std::uint8_t blue);
