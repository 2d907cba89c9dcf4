// UTF-8: whether bytes form well-formed text, and bytes shown safely as text.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quarnel {

// Length of the well-formed UTF-8 sequence starting at text[pos]; 0 when it is not one (overlong
// forms, surrogates and code points above U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos);

// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

// bytes (a file name, a message quoting one) as a terminal or a window may show them: control
// characters (C0, DEL and C1) and bytes that are not well-formed UTF-8 become "\xNN", so that
// no name can move the cursor or clear the screen. A line feed is kept when keepLineFeeds.
// "a\x1b[2Jb" -> "a\\x1b[2Jb", "caf\xe9" -> "caf\\xe9"; valid UTF-8 ("café") stays.
std::string EscapedForDisplay(std::string_view bytes, bool keepLineFeeds = false);

}  // namespace quarnel
