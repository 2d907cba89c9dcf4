#include "engine/line_scanner.h"

#include <gtest/gtest.h>

#include "support/file_store.h"

namespace quarnel {
namespace {

// Records every callback and, per line, the fields under a chosen separator.
class RecordingHandler : public ScanHandler {
 public:
  RecordingHandler(LineScanner& scanner, char separator) : scanner_(scanner), separator_(separator) {}
  std::vector<std::string> events;
  int stopAtLine = 0;

  void ScanBegin() override { events.push_back("begin"); }
  bool ScanLine() override {
    scanner_.SetFieldSeparator(separator_);
    std::string record = std::to_string(scanner_.LineNumber()) + ":" + std::string(scanner_.Line());
    for (int i = 1; i <= scanner_.FieldCount(); ++i) record += "|" + std::string(scanner_.Field(i));
    events.push_back(record);
    return scanner_.LineNumber() != stopAtLine;
  }
  void ScanEnd() override { events.push_back("end"); }

 private:
  LineScanner& scanner_;
  char separator_;
};

struct LineEndCase {
  const char* name;
  std::string content;
  std::vector<std::string> lines;
};

TEST(LineScanner, SplitsLinesAtEveryKindOfLineEnd) {
  const std::vector<LineEndCase> cases = {
      {"empty file", "", {}},
      {"crlf", "A\r\nB\r\n", {"A", "B"}},
      {"lf", "A\nB\n", {"A", "B"}},
      {"lone cr", "A\rB\r", {"A", "B"}},
      {"mixed", "A\r\nB\nC\rD", {"A", "B", "C", "D"}},
      {"last line without end", "A\r\nB", {"A", "B"}},
      {"blank lines kept", "\r\n\n\rA", {"", "", "", "A"}},
      {"lf cr is two ends", "A\n\rB", {"A", "", "B"}},
      {"byte-order mark skipped", "\xEF\xBB\xBFG1X1\r\n", {"G1X1"}},
      {"mark only at the very start", "A\n\xEF\xBB\xBF", {"A", "\xEF\xBB\xBF"}},
      {"nul bytes are ordinary", std::string("G\0X\n", 4), {std::string("G\0X", 3)}},
  };
  MemoryFileStore files;
  for (const auto& c : cases) {
    LineScanner scanner(files);
    RecordingHandler handler(scanner, '\x01');
    EXPECT_EQ(scanner.RunText(c.content, handler), ScanOutcome::kCompleted) << c.name;
    std::vector<std::string> expected = {"begin"};
    for (std::size_t i = 0; i < c.lines.size(); ++i) {
      expected.push_back(std::to_string(i + 1) + ":" + c.lines[i] + "|" + c.lines[i]);
    }
    expected.push_back("end");
    EXPECT_EQ(handler.events, expected) << c.name;
  }
}

// Line ends are looked for several bytes at a time: every line length and position of the end
// within those steps, for each kind of line end.
TEST(LineScanner, FindsLineEndsAtEveryPosition) {
  MemoryFileStore files;
  for (const std::string end : {"\r\n", "\n", "\r"}) {
    for (std::size_t length = 0; length < 40; ++length) {
      const std::string line(length, 'A');
      LineScanner scanner(files);
      RecordingHandler handler(scanner, '\x01');
      scanner.RunText(line + end + "B" + end + "\xFA\xFF" + line, handler);
      const std::vector<std::string> expected = {
          "begin", "1:" + line + "|" + line, "2:B|B",
          "3:\xFA\xFF" + line + "|\xFA\xFF" + line, "end"};
      EXPECT_EQ(handler.events, expected) << length;
    }
  }
}

TEST(LineScanner, SplitsFieldsCaseSensitivelyWithEmptyFields) {
  struct Case {
    std::string line;
    char separator;
    std::vector<std::string> fields;
  };
  const std::vector<Case> cases = {
      {"G1X10Y5", 'X', {"G1", "10Y5"}},
      {"G1X10X20", 'X', {"G1", "10", "20"}},
      {"G1x10", 'X', {"G1x10"}},
      {"GG1", 'G', {"", "", "1"}},
      {"G", 'G', {"", ""}},
      {"G1X", 'X', {"G1", ""}},
      {"", 'G', {""}},
  };
  MemoryFileStore files;
  for (const auto& c : cases) {
    LineScanner scanner(files);
    RecordingHandler handler(scanner, c.separator);
    scanner.RunText(c.line, handler);
    std::string expected = "1:" + c.line;
    for (const auto& field : c.fields) expected += "|" + field;
    if (c.line.empty()) {
      EXPECT_EQ(handler.events.size(), 2u);  // no line at all
      continue;
    }
    EXPECT_EQ(handler.events.at(1), expected) << c.line;
  }
}

TEST(LineScanner, FieldOutsideTheLineIsEmpty) {
  MemoryFileStore files;
  LineScanner scanner(files);
  struct Probe : ScanHandler {
    LineScanner* scanner = nullptr;
    std::vector<std::string> seen;
    void ScanBegin() override {}
    bool ScanLine() override {
      scanner->SetFieldSeparator('X');
      seen = {std::string(scanner->Field(0)), std::string(scanner->Field(3)),
              std::string(scanner->Field(-1))};
      return true;
    }
    void ScanEnd() override {}
  } probe;
  probe.scanner = &scanner;
  scanner.RunText("G1X2", probe);
  EXPECT_EQ(probe.seen, (std::vector<std::string>{"", "", ""}));
}

TEST(LineScanner, SeparatorCarriesToTheNextLine) {
  MemoryFileStore files;
  LineScanner scanner(files);
  struct Probe : ScanHandler {
    LineScanner* scanner = nullptr;
    std::vector<int> counts;
    void ScanBegin() override {}
    bool ScanLine() override {
      if (scanner->LineNumber() == 1) scanner->SetFieldSeparator('Y');
      counts.push_back(scanner->FieldCount());
      return true;
    }
    void ScanEnd() override {}
  } probe;
  probe.scanner = &scanner;
  scanner.RunText("Y1Y2\nAYB\nNONE\n", probe);
  EXPECT_EQ(probe.counts, (std::vector<int>{3, 2, 1}));
}

TEST(LineScanner, StoppingSkipsTheRestAndTheEnd) {
  MemoryFileStore files;
  LineScanner scanner(files);
  RecordingHandler handler(scanner, 'G');
  handler.stopAtLine = 2;
  EXPECT_EQ(scanner.RunText("G1\nG2\nG3\n", handler), ScanOutcome::kStopped);
  EXPECT_EQ(handler.events, (std::vector<std::string>{"begin", "1:G1||1", "2:G2||2"}));
}

TEST(LineScanner, UnreadableFileRunsNoCallback) {
  MemoryFileStore files;
  LineScanner scanner(files);
  RecordingHandler handler(scanner, 'G');
  scanner.SetFileName("/missing.nc");
  EXPECT_EQ(scanner.Run(handler), ScanOutcome::kUnreadable);
  EXPECT_TRUE(handler.events.empty());
  EXPECT_FALSE(scanner.ReadError().empty());
}

TEST(LineScanner, RunReadsTheNamedFile) {
  MemoryFileStore files;
  files.files["/a.nc"] = "G1\r\nG2";
  LineScanner scanner(files);
  RecordingHandler handler(scanner, 'G');
  scanner.SetFileName("/a.nc");
  EXPECT_EQ(scanner.Run(handler), ScanOutcome::kCompleted);
  EXPECT_EQ(handler.events, (std::vector<std::string>{"begin", "1:G1||1", "2:G2||2", "end"}));
  EXPECT_EQ(scanner.FileName(), "/a.nc");
}

}  // namespace
}  // namespace quarnel
