#include "engine/line_scanner.h"

#include <cstring>

#include "support/file_store.h"

namespace quarnel {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Length of the line starting at text[0], up to (not including) its line end.
std::size_t LineLength(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || text[i] == '\r') return i;
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
  content_ = std::move(read.bytes);
  const ScanOutcome outcome = RunText(content_, handler);
  content_.clear();
  content_.shrink_to_fit();
  return outcome;
}

ScanOutcome LineScanner::RunText(std::string_view content, ScanHandler& handler) {
  if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    content.remove_prefix(kByteOrderMark.size());
  }
  lineNumber_ = 0;
  line_ = {};
  split_ = false;
  handler.ScanBegin();
  while (!content.empty()) {
    const std::size_t length = LineLength(content);
    line_ = content.substr(0, length);
    ++lineNumber_;
    content.remove_prefix(length);
    content.remove_prefix(LineEndLength(content));
    split_ = false;
    if (!handler.ScanLine()) return ScanOutcome::kStopped;
  }
  line_ = {};
  split_ = false;
  handler.ScanEnd();
  return ScanOutcome::kCompleted;
}

void LineScanner::SetFieldSeparator(char separator) {
  separator_ = separator;
  split_ = false;
}

void LineScanner::SplitCurrentLine() const {
  split_ = true;
  cuts_.clear();
  const char* begin = line_.data();
  const char* end = begin + line_.size();
  for (const char* at = begin; at < end;) {
    const void* found = std::memchr(at, separator_, static_cast<std::size_t>(end - at));
    if (found == nullptr) break;
    const char* cut = static_cast<const char*>(found);
    cuts_.push_back(static_cast<std::size_t>(cut - begin));
    at = cut + 1;
  }
}

std::string_view LineScanner::Field(int i) const {
  const int count = FieldCount();
  if (i < 1 || i > count) return {};
  const auto index = static_cast<std::size_t>(i);
  const std::size_t start = i == 1 ? 0 : cuts_[index - 2] + 1;
  const std::size_t stop = i == count ? line_.size() : cuts_[index - 1];
  return line_.substr(start, stop - start);
}

}  // namespace quarnel
