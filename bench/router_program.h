// Deterministic router programs for the benchmark: contours, drilling blocks, engaged tools,
// cycles and tool changes, mixed with the comments, blank, numbered and M-only lines that a
// converter drops. The same seed gives the same bytes on every platform and compiler.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quarnel::bench {

// splitmix64: a tiny generator with a fixed sequence (std:: distributions differ between
// standard libraries, so they cannot make a corpus that is the same everywhere).
class SplitMix64 {
 public:
  explicit SplitMix64(std::uint64_t seed) : state_(seed) {}

  std::uint64_t Next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // A whole number in [low, high]; the slight modulo bias does not matter here.
  std::int64_t Between(std::int64_t low, std::int64_t high) {
    const auto span = static_cast<std::uint64_t>(high - low) + 1;
    return low + static_cast<std::int64_t>(Next() % span);
  }
  // True in about percent out of 100 calls.
  bool Percent(int percent) { return Between(0, 99) < percent; }

 private:
  std::uint64_t state_;
};

// The seed of file number index (from 1) of a corpus: files do not depend on how many follow.
inline std::uint64_t FileSeed(std::uint64_t corpusSeed, int index) {
  SplitMix64 mix(corpusSeed * 0x100000001B3ull + static_cast<std::uint64_t>(index));
  return mix.Next();
}

// Writes one program of exactly lineCount lines, each ending in CR LF, the last being M30.
// Lengths are in thousandths of a millimetre, so every number is exact.
class RouterProgramGenerator {
 public:
  RouterProgramGenerator(std::uint64_t seed, int lineCount) : random_(seed), limit_(lineCount) {}

  std::string Generate() {
    out_.clear();
    out_.reserve(static_cast<std::size_t>(limit_) * 28);
    written_ = 0;
    spacedFile_ = random_.Percent(85);
    Header();
    while (HasRoom()) Block();
    if (written_ < limit_) Append("M30");
    return std::move(out_);
  }

 private:
  static constexpr std::int64_t kMaxX = 2800000;  // table length, thousandths of a mm
  static constexpr std::int64_t kMaxY = 1200000;  // table width

  // The letter and the whole number, as in T5 or N120.
  static std::string Tagged(char letter, std::int64_t number) {
    std::string text(1, letter);
    text += std::to_string(number);
    return text;
  }

  // Room for one more line before the closing M30.
  bool HasRoom() const { return written_ < limit_ - 1; }

  // Appends a line while there is room for it before the closing M30.
  void Emit(std::string_view line) {
    if (HasRoom()) Append(line);
  }
  void Append(std::string_view line) {
    out_ += line;
    out_ += "\r\n";
    ++written_;
  }

  // Emits the line under construction, now and then after a dropped line, or numbered (N...).
  void EmitBuilt() {
    if (random_.Percent(4)) Noise();
    if (random_.Percent(1)) {
      std::string numbered = Tagged('N', random_.Between(1, 9999) * 10);
      numbered += Gap();
      Emit(numbered + line_);
      return;
    }
    Emit(line_);
  }

  // A line the converter drops: comment, blank, or M codes only.
  void Noise() {
    static constexpr std::string_view kComments[] = {"(CONTOUR)", "(POCKET 2)", "(EDGE BAND)",
                                                     "(DRILL 5MM)", "(SHELF HOLES)", "(FINISH PASS)"};
    static constexpr std::string_view kMOnly[] = {"M5", "M8", "M9", "M3 S18000", "M0"};
    switch (random_.Between(0, 2)) {
      case 0: Emit(kComments[random_.Between(0, 5)]); break;
      case 1: Emit(""); break;
      default: Emit(kMOnly[random_.Between(0, 4)]); break;
    }
  }

  // The separator between two words of the current line.
  std::string_view Gap() { return random_.Percent(spacedFile_ ? 92 : 6) ? " " : ""; }

  void StartLine(std::string_view code) {
    line_.clear();
    gap_ = Gap();
    line_ += code;
  }
  void Text(std::string_view text) {
    line_ += gap_;
    line_ += text;
  }
  // Appends letter and value (thousandths), as CAM output writes it: up to three decimals
  // without trailing zeros, now and then without the 0 before the point (X-.25).
  void Word(char letter, std::int64_t thousandths) {
    line_ += gap_;
    line_ += letter;
    AppendNumber(thousandths);
  }
  void AppendNumber(std::int64_t thousandths) {
    if (thousandths < 0) line_ += '-';
    const std::uint64_t magnitude = thousandths < 0 ? static_cast<std::uint64_t>(-thousandths)
                                                    : static_cast<std::uint64_t>(thousandths);
    const std::uint64_t whole = magnitude / 1000;
    std::uint64_t fraction = magnitude % 1000;
    if (whole != 0 || fraction == 0 || !random_.Percent(30)) line_ += std::to_string(whole);
    if (fraction == 0) return;
    int digits = 3;
    while (fraction % 10 == 0) {
      fraction /= 10;
      --digits;
    }
    const std::string text = std::to_string(fraction);
    line_ += '.';
    line_.append(static_cast<std::size_t>(digits) - text.size(), '0');
    line_ += text;
  }

  // A value in [low, high] thousandths, rounded down to 0 to 3 decimals (low stays in range
  // when it is whole).
  std::int64_t Value(std::int64_t low, std::int64_t high) {
    static constexpr std::int64_t kSteps[] = {1000, 1000, 100, 10, 10, 1, 1, 1, 1, 1, 1, 1};
    const std::int64_t step = kSteps[random_.Between(0, 11)];
    const std::int64_t value = random_.Between(low, high);
    const std::int64_t down = value / step * step;  // rounded down, so P stays below 0
    return down > value ? down - step : down;
  }
  std::int64_t Depth() { return Value(-20000, -500); }         // P: -20 to -0.5 mm
  std::int64_t Feed() { return random_.Between(6, 24) * 500000; }  // F3000 to F12000

  // Start of a program: an identifying comment, the modal codes, now and then G200.
  void Header() {
    std::string title = "(PART ";
    title += std::to_string(random_.Between(1000, 9999));
    Emit(title + ")");
    static constexpr std::string_view kHeaders[] = {"G90G17G40", "G90 G17 G40", "G90 G17 G40 G49 G80",
                                                    "G21 G90 G17"};
    Emit(kHeaders[random_.Between(0, 3)]);
    if (random_.Percent(30)) {
      StartLine("G200");
      Word('X', random_.Between(600, 2800) * 1000);
      Word('Y', random_.Between(300, 1200) * 1000);
      Word('Z', 42000);
      Emit(line_);
    }
  }

  void Block() {
    const int pick = static_cast<int>(random_.Between(0, 99));
    if (pick < 58) {
      Contour();
    } else if (pick < 78) {
      Drilling();
    } else if (pick < 90) {
      EngagedTool();
    } else if (pick < 96) {
      Cycles();
    } else {
      ModalRepeat();
    }
  }

  // A tool change: the T word and M6 on a line of their own, which the converter drops.
  int ToolChange() {
    const int tool = random_.Percent(3) ? 81 : static_cast<int>(random_.Between(1, 20));
    if (random_.Percent(60)) Emit(Tagged('T', tool) + (spacedFile_ ? " M6" : "M6"));
    return tool;
  }

  // Rapid to the start, plunge with a feed, then linear and arc segments.
  void Contour() {
    const int tool = ToolChange();
    StartLine("G0");
    MoveTo(random_.Between(0, kMaxX), random_.Between(0, kMaxY));
    Word('P', Depth());
    Text(Tagged('T', tool));
    if (random_.Percent(15)) Text("M6");
    EmitBuilt();
    StartLine(random_.Percent(20) ? "G101" : "G1");
    if (random_.Percent(20)) Text("G41");
    Word('P', Depth());
    Word('F', Feed());
    EmitBuilt();
    Segments(random_.Between(8, 60));
    if (random_.Percent(35)) {
      StartLine("G207");
      EmitBuilt();
    }
  }

  void Segments(std::int64_t count) {
    for (std::int64_t i = 0; i < count && HasRoom(); ++i) Segment();
  }

  // One move of a contour: mostly lines, then arcs by radius or by centre offsets.
  void Segment() {
    const int pick = static_cast<int>(random_.Between(0, 99));
    static constexpr std::string_view kLinear[] = {"G1", "G1", "G1", "G101"};
    static constexpr std::string_view kArcs[] = {"G2", "G3", "G2", "G3", "G102", "G103"};
    if (pick < 40) {
      StartLine(kLinear[random_.Between(0, 3)]);
      Step();
    } else if (pick < 70) {
      StartLine(kArcs[random_.Between(0, 5)]);
      Step();
      Word('R', (random_.Percent(10) ? -1 : 1) * Value(3000, 300000));
    } else {
      StartLine(kArcs[random_.Between(0, 5)]);
      Step();
      Word('I', Value(-150000, 150000));
      Word('J', Value(-150000, 150000));
    }
    if (random_.Percent(40)) Word('P', Depth());  // ramps and 3D contours
    if (random_.Percent(10)) Word('F', Feed());
    EmitBuilt();
  }

  // A step of up to 150 mm in X, Y or both from the current position, kept on the table.
  void Step() {
    const std::int64_t axes = random_.Between(0, 9);  // 0: X only, 1: Y only, else both
    if (axes != 1) Word('X', x_ = Quantised(Clamp(x_ + random_.Between(-150000, 150000), kMaxX)));
    if (axes != 0) Word('Y', y_ = Quantised(Clamp(y_ + random_.Between(-150000, 150000), kMaxY)));
  }
  static std::int64_t Clamp(std::int64_t value, std::int64_t high) {
    return value < 0 ? 0 : (value > high ? high : value);
  }
  std::int64_t Quantised(std::int64_t value) { return Value(value, value); }

  void MoveTo(std::int64_t x, std::int64_t y) {
    Word('X', x_ = Quantised(x));
    Word('Y', y_ = Quantised(y));
  }

  // A multi-spindle drilling block: G100 lines with a quoted spindle list or a bare spindle.
  void Drilling() {
    if (random_.Percent(30)) Emit("(DRILL)");
    StartLine("G100");
    MoveTo(random_.Between(0, kMaxX), random_.Between(0, kMaxY));
    Word('P', Depth());
    Word('F', random_.Between(2, 8) * 500000);
    Text(Spindles());
    EmitBuilt();
    const std::int64_t holes = random_.Between(2, 24);
    for (std::int64_t i = 0; i < holes && HasRoom(); ++i) {
      StartLine("G100");
      // The 32 mm hole pattern, from the exact position of the first hole.
      Word('X', x_ = Clamp(x_ + (random_.Percent(50) ? 32000 : 0), kMaxX));
      Word('Y', y_ = Clamp(y_ + (random_.Percent(50) ? 32000 : 0), kMaxY));
      if (random_.Percent(10)) Word('P', Depth());
      if (random_.Percent(40)) Text(Spindles());
      EmitBuilt();
    }
  }

  // T"1 2 3" (quoted list of spindles 1 to 12) or a bare spindle, T5.
  std::string Spindles() {
    if (random_.Percent(35)) return Tagged('T', random_.Between(1, 10));
    std::string list = "T\"";
    const std::int64_t count = random_.Between(1, 5);
    std::int64_t spindle = random_.Between(1, 8);
    for (std::int64_t i = 0; i < count && spindle <= 12; ++i) {
      if (i > 0) list += ' ';
      list += std::to_string(spindle);
      spindle += random_.Between(1, 3);
    }
    return list + "\"";
  }

  // A tool above 50 engaged by G100, then a feed that owes its positioning block.
  void EngagedTool() {
    const std::int64_t tool = random_.Percent(70) ? random_.Between(51, 99) : random_.Between(101, 260);
    StartLine("G100");
    if (random_.Percent(50)) MoveTo(random_.Between(0, kMaxX), random_.Between(0, kMaxY));
    Text(Tagged('T', tool));
    EmitBuilt();
    StartLine("G1");
    Step();
    Word('P', Depth());
    Word('F', Feed());
    EmitBuilt();
    Segments(random_.Between(3, 30));
  }

  // G280 saw cycles with their U length.
  void Cycles() {
    const std::int64_t count = random_.Between(1, 4);
    for (std::int64_t i = 0; i < count && HasRoom(); ++i) {
      StartLine("G280");
      MoveTo(random_.Between(0, kMaxX), random_.Between(0, kMaxY));
      Word('P', Value(-5000, -1000));
      Word('U', Value(50000, 1200000));
      Word('F', Feed());
      Text(Tagged('T', random_.Between(1, 8)));
      EmitBuilt();
    }
  }

  // A line of modal codes only, which repeats the current motion.
  void ModalRepeat() {
    static constexpr std::string_view kCodes[] = {"G90", "G17", "G40", "G90G40", "G64", "G61"};
    StartLine(kCodes[random_.Between(0, 5)]);
    EmitBuilt();
  }

  SplitMix64 random_;
  int limit_;
  int written_ = 0;
  bool spacedFile_ = true;
  std::string_view gap_;
  std::string line_;
  std::string out_;
  std::int64_t x_ = 0;
  std::int64_t y_ = 0;
};

}  // namespace quarnel::bench
