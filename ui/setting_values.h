// Turning settings texts into window values and back: positions in twips, the head option.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quarnel {

// 15 twips make one pixel at 96 dots per inch.
inline constexpr int kTwipsPerPixel = 15;

// Pixels for a position read from the settings (Val of the text, in twips), rounded to the
// nearest pixel; nullopt when it lies beyond the 16-bit coordinates of a window system.
std::optional<int> PixelsFromTwipsText(std::string_view text);
// The settings text of a position in pixels: whole twips as a 32-bit float's plain text ("1200").
std::string TwipsTextFromPixels(int pixels);

// "True"/"False" in any letter case, or a whole plain number (0 is false, anything else true),
// blanks around it allowed; nullopt for any other text, the empty text included.
std::optional<bool> ParseBoolSetting(std::string_view text);
// "True" or "False".
std::string BoolSettingText(bool value);

}  // namespace quarnel
