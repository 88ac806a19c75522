#pragma once
// The pixels of a 32-bit bitmap with alpha as the resource compiler stores it
// (the bitmap file without its file header): read in place, no decoder.
#include <cstddef>
#include <cstdint>
#include <optional>

struct DibPixels {
    int width = 0;
    int height = 0;
    const std::uint8_t* topRow = nullptr;  // blue, green, red, alpha per pixel
    std::ptrdiff_t stride = 0;             // from one row to the one below it
};

// The pixels of a 32-bit bitmap in that byte order, or nothing when the bytes
// hold anything else or less than they claim.
std::optional<DibPixels> ReadDib32(const void* bytes, std::size_t size);
