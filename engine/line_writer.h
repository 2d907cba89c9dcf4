// Builds one output line word by word and appends it to the output program.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "engine/line_translator.h"
#include "support/number_in_place.h"

namespace quarnel {

// Builds one output line word by word in a buffer of its own and appends the finished line to
// the output program in one piece, so writing a line allocates nothing.
class LineWriter {
 public:
  // programLines counts the lines emitted into program since the file began.
  LineWriter(std::string& program, std::size_t& programLines)
      : program_(program), programLines_(programLines), lineStart_(program.size()) {}
  // A line begun but never emitted does not reach the program, not even a part of a long one.
  ~LineWriter() {
    if (program_.size() > lineStart_) program_.resize(lineStart_);
  }
  LineWriter(const LineWriter&) = delete;
  LineWriter& operator=(const LineWriter&) = delete;

  // Appends a fixed code or a modal code text as it stands (an empty text adds nothing).
  LineWriter& operator<<(std::string_view text) {
    if (text.size() > kCapacity - used_) {
      Spill();
      if (text.size() > kCapacity) {
        program_.append(text);
        return *this;
      }
    }
    CopyText(text, buffer_ + used_);
    used_ += text.size();
    return *this;
  }
  // Appends the word FormatCoord(letter, value).
  LineWriter& Word(char letter, float value) {
    if (kMaxCoordWordSize > kCapacity - used_) Spill();
    used_ = static_cast<std::size_t>(WriteCoordWord(buffer_ + used_, letter, value) - buffer_);
    return *this;
  }
  // Appends the line with CR LF to the program and starts a new line. Past kMaxBodyLines the
  // file fails anyway: only the line end is kept, for the count.
  void Emit() {
    if (++programLines_ <= static_cast<std::size_t>(kMaxBodyLines)) {
      if (used_ + 2 > kCapacity) Spill();
      buffer_[used_++] = '\r';
      buffer_[used_++] = '\n';
      program_.append(buffer_, used_);
    } else {
      program_.resize(lineStart_);
      program_ += "\r\n";
    }
    used_ = 0;
    lineStart_ = program_.size();
  }

 private:
  static constexpr std::size_t kCapacity = 256;  // longer lines go to the program in parts

  // Copies text to out. The codes and modal texts are a few bytes long: they are copied in
  // two overlapping fixed-size pieces rather than by a call.
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

  // Moves what the buffer holds to the program: the line goes on there.
  void Spill() {
    program_.append(buffer_, used_);
    used_ = 0;
  }

  std::string& program_;
  std::size_t& programLines_;
  std::size_t lineStart_;  // where the line being built starts in the program
  std::size_t used_ = 0;
  char buffer_[kCapacity];
};

}  // namespace quarnel
