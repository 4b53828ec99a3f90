// The window program's two user settings: the output box's background and text colours.
#pragma once

#include <cstdint>

namespace modSettings {

// Windows colour values, 0x00BBGGRR.
inline constexpr std::int32_t kDefaultBackColor = 0x4000;  // dark green
inline constexpr std::int32_t kDefaultForeColor = 0xFF00;  // bright green
// The value the store gives for a missing colour, and a stored "use the default".
inline constexpr std::int32_t kUseDefault = -1;

// The colours in use; set by LoadSettings, changed by the settings dialog's "Ok".
extern std::int32_t OutBoxBackColor;
extern std::int32_t OutBoxForeColor;

// Reads both colours from "Out Box" ("Back Color", "Fore Color"). A missing value, a
// stored -1, a value that is not a number and a number that is no colour (outside
// 0..0xFFFFFF) select the default. Errors of the store itself end the load.
void LoadSettings();
// Writes both colours to "Out Box" as numbers; errors of the store end the save.
void SaveSettings();

// The colour a stored value selects: as LoadSettings decides for one key.
std::int32_t ColorOrDefault(std::int32_t stored, std::int32_t defaultColor);

}  // namespace modSettings
