// Micro-benchmarks of the conversion's hot paths, for catching regressions: reading numbers,
// writing coordinate words, and translating one line of each kind. Not run as tests.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "bench/router_program.h"
#include "engine/translate/translator.h"
#include "support/number.h"
#include "support/number_in_place.h"
#include "tools/tool_table.h"

namespace quarnel {
namespace {

void BenchVal(benchmark::State& state, std::string_view text) {
  for (auto _ : state) {
    std::string_view input = text;
    benchmark::DoNotOptimize(input);
    benchmark::DoNotOptimize(Val(input));
  }
}
BENCHMARK_CAPTURE(BenchVal, Whole, std::string_view("3000"));
BENCHMARK_CAPTURE(BenchVal, ThreeDecimals, std::string_view("1234.567Y456.78"));
BENCHMARK_CAPTURE(BenchVal, NegativeLeadingPoint, std::string_view("-.25 F6000"));
BENCHMARK_CAPTURE(BenchVal, BlanksBetween, std::string_view(" 12 . 5 "));
BENCHMARK_CAPTURE(BenchVal, NoNumber, std::string_view("\"1 2 3\""));

// One value again and again: after the first call its text is copied (see BenchAppendCoordVaried).
void BenchFormatCoord(benchmark::State& state, float value) {
  for (auto _ : state) {
    float input = value;
    benchmark::DoNotOptimize(input);
    benchmark::DoNotOptimize(FormatCoord('X', input));
  }
}
BENCHMARK_CAPTURE(BenchFormatCoord, Zero, 0.0f);
BENCHMARK_CAPTURE(BenchFormatCoord, Whole, 1200.0f);
BENCHMARK_CAPTURE(BenchFormatCoord, ThreeDecimals, 1234.567f);
BENCHMARK_CAPTURE(BenchFormatCoord, Rounded, -0.123456f);

void BenchAppendCoord(benchmark::State& state, float value) {
  std::string line;
  for (auto _ : state) {
    line.clear();
    float input = value;
    benchmark::DoNotOptimize(input);
    AppendCoord(line, 'X', input);
    benchmark::DoNotOptimize(line.data());
  }
}
BENCHMARK_CAPTURE(BenchAppendCoord, Zero, 0.0f);
BENCHMARK_CAPTURE(BenchAppendCoord, Whole, 1200.0f);
BENCHMARK_CAPTURE(BenchAppendCoord, ThreeDecimals, 1234.567f);
BENCHMARK_CAPTURE(BenchAppendCoord, Rounded, -0.123456f);

// AppendCoord over 4096 different values in turn, so that the text of a value written before is
// hardly ever at hand: the cost of working the digits out.
void BenchAppendCoordVaried(benchmark::State& state) {
  std::vector<float> values;
  for (int i = 0; i < 4096; ++i) values.push_back(static_cast<float>(i * 977 % 2'000'000) / 1000.0f - 900);
  std::string line;
  std::size_t next = 0;
  for (auto _ : state) {
    line.clear();
    AppendCoord(line, 'X', values[next++ % values.size()]);
    benchmark::DoNotOptimize(line.data());
  }
}
BENCHMARK(BenchAppendCoordVaried);

// ValTaken as the word reader calls it, on the rest of a line.
void BenchValTaken(benchmark::State& state, std::string_view text) {
  for (auto _ : state) {
    std::string_view input = text;
    benchmark::DoNotOptimize(input);
    std::size_t taken = 0;
    benchmark::DoNotOptimize(ValTaken(input, taken));
    benchmark::DoNotOptimize(taken);
  }
}
BENCHMARK_CAPTURE(BenchValTaken, ThreeDecimals, std::string_view("1234.567 Y456.78 P-5"));

// The translator and a table that substitutes tools 1, 2 and 81, ready to translate.
struct Conversion {
  Conversion() {
    tools.SetCell(1, 1, "1");
    tools.SetCell(1, 2, "101");
    tools.SetCell(2, 1, "2");
    tools.SetCell(2, 2, "102");
    tools.SetCell(3, 1, "81");
    tools.SetCell(3, 2, "205");
  }
  // Translates text as one file; false when a line failed.
  bool Run(std::string_view text) { return !TranslateSource(text, translator, body).failure; }

  ToolTable tools;
  Translator translator{tools};
  ProgramBody body;
};

constexpr int kRepeats = 1000;

// Translates kRepeats copies of unit (one or more CR LF-ended lines) after the modal codes;
// items_per_second counts source lines.
void BenchScanLine(benchmark::State& state, std::string_view unit) {
  std::string text = "G90G17G40\r\n";
  for (int i = 0; i < kRepeats; ++i) text += unit;
  Conversion conversion;
  for (auto _ : state) {
    if (!conversion.Run(text)) state.SkipWithError("a line failed");
    benchmark::DoNotOptimize(conversion.body.Body().data());
  }
  const auto lines = static_cast<std::int64_t>(kRepeats) * std::count(unit.begin(), unit.end(), '\n');
  state.SetItemsProcessed(state.iterations() * lines);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK_CAPTURE(BenchScanLine, Linear, std::string_view("G1 X1234.567 Y456.78 P-5 F6000\r\n"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BenchScanLine, ArcRadius, std::string_view("G2 X1250.5 Y470 R25.4\r\n"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BenchScanLine, ArcCentre, std::string_view("G3 X1260 Y480.25 I10 J-5.5\r\n"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BenchScanLine, DrillingSpindleList,
                  std::string_view("G100 X120 Y300 P-12 F2000 T\"1 2 3\"\r\n"))
    ->Unit(benchmark::kMicrosecond);
// A rapid move and the feed that writes its positioning block: two lines a unit.
BENCHMARK_CAPTURE(BenchScanLine, PositioningBlock,
                  std::string_view("G0 X100 Y50 P-5 T1\r\nG1 X300 F3000\r\n"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BenchScanLine, Cycle280, std::string_view("G280 X500 Y0 P-3 U120 F6000 T2\r\n"))
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BenchScanLine, DroppedComment, std::string_view("G1 X10 Y20 (FINISH PASS)\r\n"))
    ->Unit(benchmark::kMicrosecond);

// A whole generated program of the benchmark corpus, without file input and output.
void BenchTranslateProgram(benchmark::State& state) {
  const std::string text = bench::RouterProgramGenerator(bench::FileSeed(1, 1), 30000).Generate();
  Conversion conversion;
  for (auto _ : state) {
    if (!conversion.Run(text)) state.SkipWithError("a line failed");
    benchmark::DoNotOptimize(conversion.body.Body().data());
  }
  state.SetItemsProcessed(state.iterations() * 30000);
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BenchTranslateProgram)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quarnel

BENCHMARK_MAIN();
