#include "ui/dib_pixels.h"

namespace {
constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::int64_t kLargestSide = 8192;

std::uint32_t U32(const std::uint8_t* at) {
    return at[0] | at[1] << 8 | at[2] << 16 | static_cast<std::uint32_t>(at[3]) << 24;
}
std::uint16_t U16(const std::uint8_t* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

// Masks other than blue, green, red in that order would need converting.
bool MasksInByteOrder(const std::uint8_t* masks) {
    return U32(masks) == 0x00FF0000 && U32(masks + 4) == 0x0000FF00 && U32(masks + 8) == 0x000000FF;
}
}  // namespace

std::optional<DibPixels> ReadDib32(const void* bytes, std::size_t size) {
    const auto* at = static_cast<const std::uint8_t*>(bytes);
    if (!at || size < kInfoHeaderSize) return std::nullopt;
    const std::uint32_t headerSize = U32(at);
    const std::int64_t width = static_cast<std::int32_t>(U32(at + 4));
    const std::int64_t signedHeight = static_cast<std::int32_t>(U32(at + 8));
    const std::int64_t height = signedHeight < 0 ? -signedHeight : signedHeight;
    const std::uint32_t compression = U32(at + 16);
    const std::uint32_t colours = U32(at + 32);
    if (headerSize < kInfoHeaderSize || headerSize > size || U16(at + 12) != 1 || U16(at + 14) != 32)
        return std::nullopt;
    if (width <= 0 || height <= 0 || width > kLargestSide || height > kLargestSide || colours > 256)
        return std::nullopt;

    std::uint64_t offset = headerSize;
    if (compression == kBitFields) {
        // Masks follow a plain information header and sit inside the larger ones.
        const std::uint64_t masksAt = headerSize == kInfoHeaderSize ? headerSize : kInfoHeaderSize;
        if (masksAt + 12 > size || !MasksInByteOrder(at + masksAt)) return std::nullopt;
        if (headerSize == kInfoHeaderSize) offset += 12;
    } else if (compression != kRgb) {
        return std::nullopt;
    }
    offset += std::uint64_t{colours} * 4;
    const std::int64_t rowBytes = width * 4;
    if (offset + static_cast<std::uint64_t>(rowBytes * height) > size) return std::nullopt;

    DibPixels pixels;
    pixels.width = static_cast<int>(width);
    pixels.height = static_cast<int>(height);
    const std::uint8_t* first = at + offset;
    const bool bottomUp = signedHeight > 0;
    pixels.topRow = bottomUp ? first + rowBytes * (height - 1) : first;
    pixels.stride = bottomUp ? -rowBytes : rowBytes;
    return pixels;
}
