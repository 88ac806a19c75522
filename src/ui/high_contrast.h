#pragma once
// Whether the system's high-contrast setting is on: then the window paints
// with the system's colours and no artwork.
#include <functional>

bool HighContrastOn();

// Tests decide the setting here (Wine cannot switch it on); null: the system's.
void SetHighContrastSource(std::function<bool()> source);
