#include "engine/line_scanner.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>
#include <limits>

#include "support/file_store.h"

namespace quarnel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr std::uint64_t kEveryByte = 0x0101010101010101;  // 1 in each byte of a word

// Marks with its high bit every byte of the word that equals ch. Bytes above the first marked
// one may be marked wrongly (a borrow runs on), the first mark is always right.
std::uint64_t BytesEqual(std::uint64_t word, unsigned char ch) {
  const std::uint64_t diff = word ^ (kEveryByte * ch);
  return (diff - kEveryByte) & ~diff & (kEveryByte << 7);
}

// Length of the line starting at text[0], up to (not including) its line end. Eight bytes are
// looked at a time.
std::size_t LineLength(std::string_view text) {
  const char* data = text.data();
  std::size_t i = 0;
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

ScanOutcome LineScanner::Run(ScanHandler& handler) {
  readError_.clear();
  ReadOutcome read = files_.ReadRegularFile(fileName_);
  if (!read.ok) {
    readError_ = std::move(read.error);
    return ScanOutcome::kUnreadable;
  }
  // The text lives only for this scan and is released however the scan ends, also when a
  // callback throws (running out of memory on a huge file).
  return RunText(read.bytes, handler);
}

ScanOutcome LineScanner::RunText(std::string_view content, ScanHandler& handler) {
  if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    content.remove_prefix(kByteOrderMark.size());
  }
  lineNumber_ = 0;
  line_ = {};
  ResetFields();
  handler.ScanBegin();
  while (!content.empty()) {
    const std::size_t length = LineLength(content);
    line_ = content.substr(0, length);
    ++lineNumber_;
    content.remove_prefix(length);
    content.remove_prefix(LineEndLength(content));
    ResetFields();
    if (!handler.ScanLine()) return ScanOutcome::kStopped;
  }
  line_ = {};
  ResetFields();
  handler.ScanEnd();
  return ScanOutcome::kCompleted;
}

void LineScanner::SetFieldSeparator(char separator) {
  separator_ = separator;
  ResetFields();
}

std::size_t LineScanner::NextSeparator(std::size_t from) const {
  if (from >= line_.size()) return line_.size();  // memchr must not see an empty line's null data
  const void* found = std::memchr(line_.data() + from, separator_, line_.size() - from);
  if (found == nullptr) return line_.size();
  return static_cast<std::size_t>(static_cast<const char*>(found) - line_.data());
}

void LineScanner::CountFields() const {
  std::size_t count = 1;
  for (std::size_t at = NextSeparator(0); at < line_.size(); at = NextSeparator(at + 1)) ++count;
  fieldCount_ = static_cast<int>(std::min<std::size_t>(count, std::numeric_limits<int>::max()));
}

std::string_view LineScanner::Field(int i) const {
  if (i < 1 || i > FieldCount()) return {};
  if (i <= cursorField_) {  // going back: start again from the first field
    cursorField_ = 0;
    cursorStart_ = 0;
  }
  std::size_t start = cursorStart_;
  std::size_t stop = NextSeparator(start);
  while (++cursorField_ < i) {
    start = stop + 1;
    stop = NextSeparator(start);
  }
  cursorStart_ = stop + 1;
  return line_.substr(start, stop - start);
}

}  // namespace quarnel
