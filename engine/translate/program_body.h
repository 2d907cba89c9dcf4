// The output program as the translator writes it, and the writer of its lines.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/translate/output_codes.h"
#include "support/number_in_place.h"

namespace quarnel {

// The most body lines an output program can have: the header counts n + 3 lines in 16 bits.
inline constexpr std::size_t kMaxBodyLines = 32764;

// The text of one output program: room for the header, then the body lines, each ending in
// CR LF. Past kMaxBodyLines only the line ends are kept: such a file fails anyway, and a
// hostile source cannot make the text grow without bound. Lines are written straight into the
// text, whose storage is kept from program to program.
class ProgramBody {
 public:
  // Empties the body, keeping room in front for a usual header, so that it goes there without
  // moving the body.
  void Clear() {
    size_ = kHeaderRoom;
    start_ = kHeaderRoom;
    lines_ = 0;
  }
  std::size_t Lines() const { return lines_; }
  std::string_view Body() const { return Text().substr(kHeaderRoom); }
  // Puts header right in front of the body and appends end; the whole program after that is
  // Program().
  void Complete(std::string_view header, std::string_view end) {
    if (header.size() <= kHeaderRoom) {
      start_ = kHeaderRoom - header.size();
      std::memcpy(text_.data() + start_, header.data(), header.size());
    } else {  // a header longer than the room moves the body
      std::string program(header);
      program += Body();
      text_ = std::move(program);
      size_ = text_.size();
      start_ = 0;
    }
    std::memcpy(RoomFor(end.size()), end.data(), end.size());
    size_ += end.size();
  }
  std::string_view Program() const { return Text().substr(start_); }

 private:
  friend class LineWriter;
  static constexpr std::size_t kHeaderRoom = 256;

  std::string_view Text() const { return std::string_view(text_.data(), size_); }
  // Where the next bytes go: at the end of the text, with room for at least bytes of them.
  char* RoomFor(std::size_t bytes) {
    if (size_ + bytes > text_.size()) {
      text_.resize(std::max(text_.size() + text_.size() / 2, size_ + bytes));
    }
    return text_.data() + size_;
  }

  std::string text_ = std::string(kHeaderRoom, ' ');  // size_ bytes of program, then room
  std::size_t size_ = kHeaderRoom;
  std::size_t start_ = kHeaderRoom;
  std::size_t lines_ = 0;
};

// Writes one output line word by word straight into the body; a line counts only once it is
// emitted. A line begun but never emitted does not reach the body, not even a part of a long
// one.
class LineWriter {
 public:
  explicit LineWriter(ProgramBody& body) : body_(body) {}
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // Appends a fixed code or a modal code text as it stands (an empty text adds nothing).
  LineWriter& operator<<(std::string_view text) {
    CopyText(text, Room(text.size()));
    used_ += text.size();
    return *this;
  }
  // Appends the word FormatCoord(letter, value).
  LineWriter& Word(char letter, float value) {
    char* const at = Room(kMaxCoordWordSize);
    used_ += static_cast<std::size_t>(WriteCoordWord(at, letter, value) - at);
    return *this;
  }
  // Appends the line end, adds the line to the body and starts a new line.
  void Emit() {
    if (++body_.lines_ > kMaxBodyLines) used_ = 0;
    char* const at = Room(output::kLineEnd.size());
    std::memcpy(at, output::kLineEnd.data(), output::kLineEnd.size());
    body_.size_ += used_ + output::kLineEnd.size();
    used_ = 0;
  }

  // Copies text to out. The codes and modal texts are a few bytes long: they are copied in two
  // overlapping fixed-size pieces, which the compiler inlines, rather than by a call to memcpy,
  // which costs more than the copy (a line holds three or four such texts).
  static void CopyText(std::string_view text, char* out) {
    const char* from = text.data();
    const std::size_t size = text.size();
    if (size >= 8 && size <= 16) {
      std::memcpy(out, from, 8);
      std::memcpy(out + size - 8, from + size - 8, 8);
    } else if (size >= 4 && size < 8) {
      std::memcpy(out, from, 4);
      std::memcpy(out + size - 4, from + size - 4, 4);
    } else if (size >= 2 && size < 4) {
      std::memcpy(out, from, 2);
      std::memcpy(out + size - 2, from + size - 2, 2);
    } else if (size == 1) {
      *out = *from;
    } else if (size > 16) {
      std::memcpy(out, from, size);
    }
  }

 private:
  // Where the line's next bytes go, with room for bytes of them.
  char* Room(std::size_t bytes) { return body_.RoomFor(used_ + bytes) + used_; }

  ProgramBody& body_;
  std::size_t used_ = 0;  // bytes of the line written so far, after the body's end
};

}  // namespace quarnel
