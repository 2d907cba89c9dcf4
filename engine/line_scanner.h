// Reads one source file and hands it to its owner line by line, splitting the current line
// into fields on demand.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

class FileStore;

// The owner's callbacks, in the order a scan makes them.
class ScanHandler {
 public:
  virtual ~ScanHandler() = default;
  virtual void ScanBegin() = 0;
  // Called once per line in file order; returning false stops the scan at this line
  // (the rest of the file is not read and ScanEnd is not called).
  virtual bool ScanLine() = 0;
  virtual void ScanEnd() = 0;
};

enum class ScanOutcome { kCompleted, kStopped, kUnreadable };

// Lines end at CR LF, a lone LF or a lone CR; a last line without a line end is still a line; a
// line end at the very end adds no empty line. A UTF-8 byte-order mark at the very start is
// skipped. Bytes are never transcoded. The file is read whole and lines and fields are views
// into it.
class LineScanner {
 public:
  explicit LineScanner(FileStore& files) : files_(files) {}

  void SetFileName(std::string path) { fileName_ = std::move(path); }
  const std::string& FileName() const { return fileName_; }

  // Resets and runs a whole scan of FileName synchronously: ScanBegin, every ScanLine, ScanEnd.
  // When the file cannot be read, no callback runs and ReadError() says why.
  ScanOutcome Run(ScanHandler& handler);
  // The same over text already in memory (FileName is left as it is).
  ScanOutcome RunText(std::string_view content, ScanHandler& handler);
  const std::string& ReadError() const { return readError_; }

  // While a line is current:
  std::string_view Line() const { return line_; }
  int LineNumber() const { return lineNumber_; }  // 1 for the first line of the file
  // Splits the current line at every occurrence of separator (case-sensitive); adjacent
  // separators give empty fields. Keeps its value from line to line.
  void SetFieldSeparator(char separator);
  char FieldSeparator() const { return separator_; }
  // Number of separators in the line plus one.
  int FieldCount() const {
    EnsureSplit();
    return static_cast<int>(cuts_.size()) + 1;
  }
  // The i-th field, counting from 1; "" when i is out of range. Fields are not trimmed.
  std::string_view Field(int i) const;

 private:
  // Lines are split lazily: only when a field is asked for under the current separator.
  void EnsureSplit() const {
    if (!split_) SplitCurrentLine();
  }
  void SplitCurrentLine() const;

  FileStore& files_;
  std::string fileName_;
  std::string readError_;
  std::string content_;
  std::string_view line_;
  int lineNumber_ = 0;
  char separator_ = '\0';
  // Positions of the separator in line_; the vector is reused from line to line.
  mutable std::vector<std::size_t> cuts_;
  mutable bool split_ = false;
};

}  // namespace quarnel
