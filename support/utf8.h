// UTF-8: whether bytes form well-formed text.
#pragma once

#include <cstddef>
#include <string_view>

namespace quarnel {

// Length of the well-formed UTF-8 sequence starting at text[pos]; 0 when it is not one (overlong
// forms, surrogates and code points above U+10FFFF included).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos);

// True when the whole text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace quarnel
