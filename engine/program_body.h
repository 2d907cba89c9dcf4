// The output program as the translator writes it, and the writer of its lines.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "support/number_in_place.h"

namespace quarnel {

// The most body lines an output program can have: the header counts n + 3 lines in 16 bits.
inline constexpr std::size_t kMaxBodyLines = 32764;

// The text of one output program: room for the header, then the body lines, each ending in
// CR LF. Past kMaxBodyLines only the line ends are kept: such a file fails anyway, and a
// hostile source cannot make the text grow without bound.
class ProgramBody {
 public:
  // Empties the body, keeping room in front for a usual header, so that it goes there without
  // moving the body.
  void Clear() {
    text_.assign(kHeaderRoom, ' ');
    start_ = kHeaderRoom;
    lines_ = 0;
  }
  std::size_t Lines() const { return lines_; }
  std::string_view Body() const { return std::string_view(text_).substr(kHeaderRoom); }
  // Puts header right in front of the body and appends end; the whole program after that is
  // Program().
  void Complete(std::string_view header, std::string_view end) {
    if (header.size() <= kHeaderRoom) {
      start_ = kHeaderRoom - header.size();
      text_.replace(start_, header.size(), header);
    } else {
      text_.replace(0, kHeaderRoom, header);
      start_ = 0;
    }
    text_.append(end);
  }
  std::string_view Program() const { return std::string_view(text_).substr(start_); }

 private:
  friend class LineWriter;
  static constexpr std::size_t kHeaderRoom = 256;

  std::string text_ = std::string(kHeaderRoom, ' ');
  std::size_t start_ = kHeaderRoom;
  std::size_t lines_ = 0;
};

// Builds one output line word by word in a buffer of its own and appends the finished line to
// the body in one piece, so that writing a line allocates nothing. A line begun but never
// emitted does not reach the body, not even a part of a long one.
class LineWriter {
 public:
  explicit LineWriter(ProgramBody& body) : body_(body), lineStart_(body.text_.size()) {}
  ~LineWriter() {
    if (body_.text_.size() > lineStart_) body_.text_.resize(lineStart_);
  }
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // Appends a fixed code or a modal code text as it stands (an empty text adds nothing).
  LineWriter& operator<<(std::string_view text) {
    if (text.size() > kCapacity - used_) {
      Spill();
      if (text.size() > kCapacity) {
        body_.text_.append(text);
        return *this;
      }
    }
    std::memcpy(buffer_ + used_, text.data(), text.size());
    used_ += text.size();
    return *this;
  }
  // Appends the word FormatCoord(letter, value).
  LineWriter& Word(char letter, float value) {
    if (kMaxCoordWordSize > kCapacity - used_) Spill();
    used_ = static_cast<std::size_t>(WriteCoordWord(buffer_ + used_, letter, value) - buffer_);
    return *this;
  }
  // Appends the line with CR LF to the body and starts a new line.
  void Emit() {
    std::string& text = body_.text_;
    if (++body_.lines_ <= kMaxBodyLines) {
      if (used_ + 2 > kCapacity) Spill();
      buffer_[used_++] = '\r';
      buffer_[used_++] = '\n';
      text.append(buffer_, used_);
    } else {
      text.resize(lineStart_);
      text += "\r\n";
    }
    used_ = 0;
    lineStart_ = text.size();
  }

 private:
  static constexpr std::size_t kCapacity = 256;  // longer lines go to the body in parts

  // Moves what the buffer holds to the body: the line goes on there.
  void Spill() {
    body_.text_.append(buffer_, used_);
    used_ = 0;
  }

  ProgramBody& body_;
  std::size_t lineStart_;  // where the line being built starts in the body's text
  std::size_t used_ = 0;
  char buffer_[kCapacity];
};

}  // namespace quarnel
