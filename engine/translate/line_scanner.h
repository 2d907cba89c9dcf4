// Splits a source text into lines.
#pragma once

#include <string_view>
#include <vector>

namespace quarnel {

// Lines end at CR LF, a lone LF or a lone CR; a last line without a line end is still a line; a
// line end at the very end adds no empty line. A UTF-8 byte-order mark at the very start is
// skipped. Bytes are never transcoded: lines are views into the text.
class LineScanner {
 public:
  explicit LineScanner(std::string_view text);

  // The next line without its line end; false after the last line.
  bool Next(std::string_view& line);
  // The number of the line Next gave last, 1 for the first line of the text.
  int LineNumber() const { return lineNumber_; }

 private:
  std::string_view rest_;
  int lineNumber_ = 0;
};

// Every line of text as LineScanner gives them; element k is line k + 1.
std::vector<std::string_view> SplitLines(std::string_view text);

}  // namespace quarnel
