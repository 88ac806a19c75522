#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "ui/dib_pixels.h"
#include "ui/logo_pixels.h"

namespace {
// A plain information header (40 bytes) with bit-field masks and 2 x h pixels.
std::vector<std::uint8_t> Dib(int height, std::uint16_t bits = 32, std::uint32_t compression = 3) {
    std::vector<std::uint8_t> dib(40 + 12 + 2 * 4 * (height < 0 ? -height : height));
    auto put = [&](std::size_t at, std::uint32_t value) { std::memcpy(&dib[at], &value, 4); };
    put(0, 40), put(4, 2), put(8, static_cast<std::uint32_t>(height));
    put(12, 1u | bits << 16), put(16, compression);
    put(40, 0x00FF0000), put(44, 0x0000FF00), put(48, 0x000000FF);
    for (std::size_t i = 52; i < dib.size(); ++i) dib[i] = static_cast<std::uint8_t>(i - 52);
    return dib;
}

// A top-down picture of 0xAARRGGBB values, as ReadDib32 would see it.
struct Art {
    int width, height;
    std::vector<std::uint32_t> argb;
    DibPixels View() const {
        return {width, height, reinterpret_cast<const std::uint8_t*>(argb.data()), width * 4};
    }
};

std::uint32_t Mix(std::uint32_t over, std::uint32_t under, int alpha) {  // 0x00RRGGBB, alpha of 255
    std::uint32_t mixed = 0;
    for (int shift : {0, 8, 16})
        mixed |= static_cast<std::uint32_t>(((over >> shift & 255) * alpha + (under >> shift & 255) * (255 - alpha) + 127) / 255) << shift;
    return mixed;
}
}  // namespace

TEST(LogoPixels, LaysTheArtOverTheBackground) {
    const std::uint32_t blue = 0x0993DD;
    const Art art{3, 1, {0xFFFF0000, 0x00000000, 0x80FFFFFF}};
    const LogoPixels same = ComposeLogo(art.View(), 3, 1, 0x09, 0x93, 0xDD);
    EXPECT_EQ(same.pixels, (std::vector<std::uint32_t>{0xFF0000, blue, Mix(0xFFFFFF, blue, 0x80)}));
}

TEST(LogoPixels, ScalesEitherWayWithoutDarkFringes) {
    const Art plain{4, 4, std::vector<std::uint32_t>(16, 0xFF336699)};
    Art dot{5, 5, std::vector<std::uint32_t>(25, 0x00000000)};  // transparent black around one white pixel
    dot.argb[12] = 0xFFFFFFFF;
    for (const auto& [width, height] : {std::pair{3, 2}, std::pair{7, 9}, std::pair{1, 1}}) {
        const LogoPixels scaled = ComposeLogo(plain.View(), width, height, 0, 0, 0);
        ASSERT_EQ(scaled.pixels.size(), static_cast<std::size_t>(width * height));
        for (std::uint32_t pixel : scaled.pixels) EXPECT_EQ(pixel, 0x336699u) << width << "x" << height;
        // Over grey, the white dot may only lighten: transparent black lends no colour.
        const LogoPixels spread = ComposeLogo(dot.View(), width, height, 0x80, 0x80, 0x80);
        for (std::uint32_t pixel : spread.pixels)
            for (int shift : {0, 8, 16}) EXPECT_GE(pixel >> shift & 255, 0x80u) << width << "x" << height;
    }
    EXPECT_TRUE(ComposeLogo(plain.View(), 0, 5, 0, 0, 0).pixels.empty());
}

TEST(DibPixels, ReadsRowsTopFirstInEitherOrder) {
    const auto bottomUp = Dib(3);
    const auto read = ReadDib32(bottomUp.data(), bottomUp.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->width, 2);
    EXPECT_EQ(read->height, 3);
    EXPECT_EQ(read->topRow, bottomUp.data() + 52 + 16);  // the last row stored is the top
    EXPECT_EQ(read->stride, -8);

    const auto topDown = Dib(-3);
    const auto down = ReadDib32(topDown.data(), topDown.size());
    ASSERT_TRUE(down);
    EXPECT_EQ(down->topRow, topDown.data() + 52);
    EXPECT_EQ(down->stride, 8);
}

TEST(DibPixels, RefusesWhatItCannotReadAsIs) {
    auto cut = Dib(3);
    cut.pop_back();
    auto swapped = Dib(3);
    std::swap(swapped[40], swapped[48]);  // red and blue masks exchanged
    auto wide = Dib(3);
    wide[7] = 0x80;  // a negative width
    const std::vector<std::uint8_t> cases[] = {cut, swapped, wide, Dib(3, 24), Dib(3, 32, 1), Dib(0),
                                               std::vector<std::uint8_t>(39)};
    for (const auto& bytes : cases) EXPECT_FALSE(ReadDib32(bytes.data(), bytes.size()));
    EXPECT_FALSE(ReadDib32(nullptr, 100));
}

#ifdef INSTALLER_SOURCE_DIR  // the native run, where the sources are at hand
TEST(DibPixels, ReadsTheShippedLogo) {
    std::ifstream file(INSTALLER_SOURCE_DIR "/res/art/logo.bmp", std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    ASSERT_GT(bytes.size(), 14u);
    const auto logo = ReadDib32(bytes.data() + 14, bytes.size() - 14);  // as the resource stores it
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->width, 210);
    EXPECT_EQ(logo->height, 64);
    int inked = 0;
    for (int row = 0; row < logo->height; ++row)
        for (int column = 0; column < logo->width; ++column)
            inked += logo->topRow[row * logo->stride + column * 4 + 3] == 255;
    EXPECT_EQ(logo->topRow[3], 0);  // transparent around the mark
    EXPECT_GT(inked, 500);
    // As the window shows it at 100 %: the mark stands out from the blue.
    const LogoPixels shown = ComposeLogo(*logo, 178, 54, 0x09, 0x93, 0xDD);
    EXPECT_EQ(shown.pixels.front(), 0x0993DDu);
    EXPECT_GT(std::count_if(shown.pixels.begin(), shown.pixels.end(), [](std::uint32_t p) { return (p & 0xFF) < 0x60; }),
              300);
}
#endif
