#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "ui/dib_pixels.h"

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
}  // namespace

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
}
#endif
