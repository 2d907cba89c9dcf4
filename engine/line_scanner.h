// Reads one source file and hands it to its owner line by line, splitting the current line
// into fields on demand.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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
  // Number of separators in the line plus one (at most the largest int).
  int FieldCount() const {
    if (fieldCount_ < 0) CountFields();
    return fieldCount_;
  }
  // The i-th field, counting from 1; "" when i is out of range. Fields are not trimmed. Asking
  // for the fields in order costs one pass over the line in all.
  std::string_view Field(int i) const;

 private:
  // Nothing is stored per field, so a line of any length with any number of separators needs
  // no memory beyond the file: the count is taken when asked for, and a cursor remembers where
  // the field after the last one returned starts.
  void ResetFields() const {
    fieldCount_ = -1;
    cursorField_ = 0;
    cursorStart_ = 0;
  }
  void CountFields() const;
  // Position of the first separator at or after from, or the line's length.
  std::size_t NextSeparator(std::size_t from) const;

  FileStore& files_;
  std::string fileName_;
  std::string readError_;
  std::string_view line_;
  int lineNumber_ = 0;
  char separator_ = '\0';
  mutable int fieldCount_ = -1;          // -1: not counted under the current separator
  mutable int cursorField_ = 0;          // the field last returned by Field, 0 for none
  mutable std::size_t cursorStart_ = 0;  // where field cursorField_ + 1 starts
};

}  // namespace quarnel
