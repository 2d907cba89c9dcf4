// The lines of a program held in memory, split as source files are read.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace quarnel {

// Walks the lines of a program text: CR LF, a lone LF and a lone CR each end a line, a last line
// without a line end is still a line, a line end at the very end adds no empty line, and a UTF-8
// byte-order mark at the very start is skipped.
class ProgramLines {
 public:
  explicit ProgramLines(std::string_view text);

  // The next line without its line end; false when there is none.
  bool Next(std::string_view& line);
  // 1 for the first line, after the first Next.
  int Number() const { return number_; }

 private:
  std::string_view text_;
  std::size_t at_ = 0;
  int number_ = 0;
};

// Every line of text; element k is line k + 1.
std::vector<std::string_view> SplitProgramLines(std::string_view text);

}  // namespace quarnel
