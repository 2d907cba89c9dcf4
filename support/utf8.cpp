#include "support/utf8.h"

#include <algorithm>

#include "support/text.h"

namespace quarnel {

namespace {

// C0 controls, DEL, and the C1 controls U+0080..U+009F (UTF-8 0xC2 0x80..0x9F).
bool IsControlCharacter(std::string_view sequence) {
  const auto lead = static_cast<unsigned char>(sequence[0]);
  if (sequence.size() == 1) return lead < 0x20 || lead == 0x7F;
  return sequence.size() == 2 && lead == 0xC2 && static_cast<unsigned char>(sequence[1]) < 0xA0;
}

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  if (lead < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;  // allowed range of the second byte
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (pos + length > text.size()) return 0;
  if (byte(pos + 1) < low || byte(pos + 1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (byte(pos + i) < 0x80 || byte(pos + i) > 0xBF) return 0;
  }
  return length;
}

bool IsValidUtf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t length = Utf8SequenceLength(text, pos);
    if (length == 0) return false;
    pos += length;
  }
  return true;
}

std::string EscapedForDisplay(std::string_view bytes, bool keepLineFeeds) {
  std::string shown;
  shown.reserve(bytes.size());
  for (std::size_t pos = 0; pos < bytes.size();) {
    const std::size_t length = Utf8SequenceLength(bytes, pos);
    const std::string_view sequence = bytes.substr(pos, std::max<std::size_t>(length, 1));
    const bool lineFeed = keepLineFeeds && sequence == "\n";
    if (length == 0 || (IsControlCharacter(sequence) && !lineFeed)) {
      for (const char byte : sequence) shown += "\\x" + HexBytes(std::string_view(&byte, 1));
    } else {
      shown += sequence;
    }
    pos += sequence.size();
  }
  return shown;
}

}  // namespace quarnel
