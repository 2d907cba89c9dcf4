// Builds one output line word by word and appends it to the output program.
#pragma once

#include <string>
#include <string_view>

#include "support/number.h"
#include "support/text.h"

namespace quarnel {

// Holds the output program of the file in progress and a scratch line whose storage is reused
// from line to line, so writing a line allocates nothing once the scratch has grown.
class LineWriter {
 public:
  LineWriter(std::string& program, std::string& scratch) : program_(program), line_(scratch) {
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
  // Appends the line with CR LF to the program and starts a new line.
  void Emit() {
    EmitLine(program_, line_);
    line_.clear();
  }

 private:
  std::string& program_;
  std::string& line_;
};

}  // namespace quarnel
