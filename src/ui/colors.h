#pragma once
// The product's colours.
constexpr int kBackgroundRed = 9, kBackgroundGreen = 147, kBackgroundBlue = 221;
#define INSTALLER_BACKGROUND_RGB RGB(9, 147, 221)
