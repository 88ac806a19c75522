#include "ui/logo_pixels.h"

#include <algorithm>
#include <cmath>

namespace {
struct Tap {
    int from = 0;
    std::vector<float> weights;
};

// For each target position, the source positions it draws from and how much:
// a tent as wide as a source pixel when enlarging and as a target pixel when
// shrinking, so that every source pixel counts.
std::vector<Tap> Taps(int sourceLength, int targetLength) {
    const double scale = static_cast<double>(targetLength) / sourceLength;
    const double radius = std::max(1.0, 1.0 / scale);
    std::vector<Tap> taps(targetLength);
    for (int t = 0; t < targetLength; ++t) {
        const double centre = (t + 0.5) / scale - 0.5;
        const int first = std::max(0, static_cast<int>(std::floor(centre - radius)) + 1);
        const int last = std::min(sourceLength - 1, static_cast<int>(std::ceil(centre + radius)) - 1);
        Tap& tap = taps[t];
        tap.from = first;
        float total = 0;
        for (int s = first; s <= last; ++s) {
            const float weight = static_cast<float>(1.0 - std::abs(s - centre) / radius);
            tap.weights.push_back(weight);
            total += weight;
        }
        if (total <= 0) {  // cannot happen with the bounds above; a pixel rather than a hole if it did
            tap.from = std::clamp(static_cast<int>(std::lround(centre)), 0, sourceLength - 1);
            tap.weights.assign(1, 1.0f);
            continue;
        }
        for (float& weight : tap.weights) weight /= total;
    }
    return taps;
}

// Colour times coverage, so that transparent pixels lend no colour to their neighbours.
struct Premultiplied { float b = 0, g = 0, r = 0, a = 0; };

Premultiplied& operator+=(Premultiplied& sum, const Premultiplied& p) {
    sum.b += p.b, sum.g += p.g, sum.r += p.r, sum.a += p.a;
    return sum;
}
Premultiplied operator*(const Premultiplied& p, float w) { return {p.b * w, p.g * w, p.r * w, p.a * w}; }

Premultiplied Read(const DibPixels& art, int x, int y) {
    const std::uint8_t* at = art.topRow + y * art.stride + x * 4;
    const float a = at[3] / 255.0f;
    return {at[0] * a, at[1] * a, at[2] * a, a};
}

std::uint32_t Channel(float premultiplied, float background, float a) {
    const float value = premultiplied + background * (1 - a);
    return static_cast<std::uint32_t>(std::clamp(std::lround(value), 0L, 255L));
}
}  // namespace

LogoPixels ComposeLogo(const DibPixels& art, int width, int height, std::uint8_t red, std::uint8_t green,
                       std::uint8_t blue) {
    LogoPixels logo;
    if (width <= 0 || height <= 0 || art.width <= 0 || art.height <= 0) return logo;
    const std::vector<Tap> across = Taps(art.width, width), down = Taps(art.height, height);
    std::vector<Premultiplied> rows(static_cast<std::size_t>(art.height) * width);
    for (int y = 0; y < art.height; ++y)
        for (int x = 0; x < width; ++x) {
            Premultiplied sum;
            for (std::size_t i = 0; i < across[x].weights.size(); ++i)
                sum += Read(art, across[x].from + static_cast<int>(i), y) * across[x].weights[i];
            rows[static_cast<std::size_t>(y) * width + x] = sum;
        }
    logo.width = width;
    logo.height = height;
    logo.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            Premultiplied sum;
            for (std::size_t i = 0; i < down[y].weights.size(); ++i)
                sum += rows[(down[y].from + i) * width + x] * down[y].weights[i];
            logo.pixels[static_cast<std::size_t>(y) * width + x] =
                Channel(sum.r, red, sum.a) << 16 | Channel(sum.g, green, sum.a) << 8 | Channel(sum.b, blue, sum.a);
        }
    return logo;
}
