#pragma once
// Pixels at 96 dots per inch (100 %), and the same length at another density.

constexpr int kBaseDpi = 96;

// value at dpi, rounded to the nearest pixel.
constexpr int Scaled(int value, int dpi) { return (value * dpi + kBaseDpi / 2) / kBaseDpi; }
