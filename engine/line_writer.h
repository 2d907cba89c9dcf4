// Builds one output line word by word and appends it to the output program.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "engine/line_translator.h"
#include "support/number.h"
#include "support/text.h"

namespace quarnel {

// Holds the output program of the file in progress and a scratch line whose storage is reused
// from line to line, so writing a line allocates nothing once the scratch has grown.
class LineWriter {
 public:
  // programLines counts the lines emitted into program since the file began.
  LineWriter(std::string& program, std::string& scratch, std::size_t& programLines)
      : program_(program), line_(scratch), programLines_(programLines) {
    line_.clear();
  }

  // Appends a fixed code or a modal code text as it stands (an empty text adds nothing).
  LineWriter& operator<<(std::string_view text) {
    line_ += text;
    return *this;
  }
  // Appends the word FormatCoord(letter, value).
  LineWriter& Word(char letter, float value) {
    AppendCoord(line_, letter, value);
    return *this;
  }
  // Appends the line with CR LF to the program and starts a new line. Past kMaxBodyLines the
  // file fails anyway: only the line end is kept, for the count.
  void Emit() {
    if (++programLines_ <= static_cast<std::size_t>(kMaxBodyLines)) {
      EmitLine(program_, line_);
    } else {
      program_ += "\r\n";
    }
    line_.clear();
  }

 private:
  std::string& program_;
  std::string& line_;
  std::size_t& programLines_;
};

}  // namespace quarnel
