#include "engine/translate/line_scanner.h"

#include <bit>
#include <cstdint>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "support/text.h"

namespace quarnel {

namespace {

constexpr std::uint64_t kEveryByte = 0x0101010101010101;  // 1 in each byte of a word

// Marks with its high bit every byte of the word that equals ch. Bytes above the first marked
// one may be marked wrongly (a borrow runs on), the first mark is always right.
std::uint64_t BytesEqual(std::uint64_t word, unsigned char ch) {
  const std::uint64_t diff = word ^ (kEveryByte * ch);
  return (diff - kEveryByte) & ~diff & (kEveryByte << 7);
}

// Length of the line starting at text[0], up to (not including) its line end. Sixteen bytes are
// looked at a time where the processor compares that many at once, then eight at a time.
std::size_t LineLength(std::string_view text) {
  const char* data = text.data();
  std::size_t i = 0;
#if defined(__SSE2__)
  const __m128i cr = _mm_set1_epi8('\r');
  const __m128i lf = _mm_set1_epi8('\n');
  for (; i + 16 <= text.size(); i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const unsigned ends = static_cast<unsigned>(
        _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(chunk, cr), _mm_cmpeq_epi8(chunk, lf))));
    if (ends != 0) return i + static_cast<std::size_t>(std::countr_zero(ends));
  }
#endif
  if constexpr (std::endian::native == std::endian::little) {
    for (; i + 8 <= text.size(); i += 8) {
      std::uint64_t word;
      std::memcpy(&word, data + i, 8);
      const std::uint64_t ends = BytesEqual(word, '\r') | BytesEqual(word, '\n');
      if (ends != 0) return i + static_cast<std::size_t>(std::countr_zero(ends)) / 8;
    }
  }
  for (; i < text.size(); ++i) {
    if (data[i] == '\n' || data[i] == '\r') return i;
  }
  return text.size();
}

// Size of the line end at text[0]: 2 for CR LF, 1 for a lone CR or LF, 0 at the end.
std::size_t LineEndLength(std::string_view text) {
  if (text.empty()) return 0;
  if (text[0] == '\r' && text.size() > 1 && text[1] == '\n') return 2;
  return 1;
}

}  // namespace

LineScanner::LineScanner(std::string_view text) : rest_(text) {
  if (rest_.starts_with(kByteOrderMark)) rest_.remove_prefix(kByteOrderMark.size());
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  LineScanner scanner(text);
  for (std::string_view line; scanner.Next(line);) lines.push_back(line);
  return lines;
}

bool LineScanner::Next(std::string_view& line) {
  if (rest_.empty()) return false;
  const std::size_t length = LineLength(rest_);
  line = rest_.substr(0, length);
  ++lineNumber_;
  rest_.remove_prefix(length);
  rest_.remove_prefix(LineEndLength(rest_));
  return true;
}

}  // namespace quarnel
