// What the conversion driver needs from a translator of source lines.
#pragma once

#include <optional>
#include <string>

namespace quarnel {

class LineScanner;

// The most body lines an output program can have: the header counts n + 3 lines in 16 bits.
// A file whose body has more fails, so a translator may keep only the line ends (CR LF) of
// lines beyond this many: they still count, and a hostile source cannot make the text grow
// without bound.
inline constexpr int kMaxBodyLines = 32764;

class LineTranslator {
 public:
  virtual ~LineTranslator() = default;
  // The start of every source file: the translator goes back to its start state.
  virtual void BeginFile() = 0;
  // Translates the scanner's current line, appending output lines to outBuffer through
  // EmitLine. Returns the reason when a number of the line does not fit where it is stored
  // (it names the word, e.g. "T40000 does not fit in a tool number (-32768..32767)"); the
  // file then fails and the scan stops at this line.
  virtual std::optional<std::string> TranslateLine(LineScanner& scanner,
                                                   std::string& outBuffer) = 0;
};

// Translates nothing: every file gets an empty body.
class NullTranslator final : public LineTranslator {
 public:
  void BeginFile() override {}
  std::optional<std::string> TranslateLine(LineScanner&, std::string&) override {
    return std::nullopt;
  }
};

}  // namespace quarnel
