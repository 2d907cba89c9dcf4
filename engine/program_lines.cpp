#include "engine/program_lines.h"

#include <algorithm>

namespace quarnel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

}  // namespace

ProgramLines::ProgramLines(std::string_view text) : text_(text) {
  if (text_.substr(0, kByteOrderMark.size()) == kByteOrderMark) at_ = kByteOrderMark.size();
}

bool ProgramLines::Next(std::string_view& line) {
  if (at_ >= text_.size()) return false;
  const std::size_t end = std::min(text_.find_first_of("\r\n", at_), text_.size());
  line = text_.substr(at_, end - at_);
  at_ = end;
  if (at_ < text_.size()) at_ += text_.compare(at_, 2, "\r\n") == 0 ? 2 : 1;
  ++number_;
  return true;
}

std::vector<std::string_view> SplitProgramLines(std::string_view text) {
  std::vector<std::string_view> lines;
  ProgramLines reader(text);
  for (std::string_view line; reader.Next(line);) lines.push_back(line);
  return lines;
}

}  // namespace quarnel
