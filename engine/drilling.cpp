#include "engine/drilling.h"

#include "engine/word_reader.h"
#include "support/number.h"

namespace quarnel {

namespace {

constexpr std::string_view kToolWord = "T01";     // starts every tool call and spindle list
constexpr std::string_view kLargeToolTail = "M66";  // ends the suffix of tools above 200
constexpr std::int16_t kLargestPlainSuffix = 99;   // 1..99: the number itself
constexpr std::int16_t kLargestLetterSuffix = 200;  // 100..200: letter and digit

// Spindle renumbering: group value 1..10 and the group written for it.
constexpr std::string_view kSpindles[] = {"09", "10", "11", "12", "02",
                                          "03", "04", "05", "06", "07"};

std::string CellFailure(const ToolTable& table, int row, int col, std::string_view what) {
  const char* name = col == ToolTable::kFromColumn ? "\"From\"" : "\"To\"";
  return "tool table row " + std::to_string(row) + " " + name + " " +
         NumberForMessage(table.GridCell(row, col)) + " does not fit in " + std::string(what);
}

// G100: a tool above 50 is engaged by the next feed move; 50 or less drills.
void EngageOrDrill(TranslatorState& state) {
  if (state.Line.LineT > kLargestDrill) {
    state.RapidPending = true;
    state.MotionMode = kMotionNone;
  } else {
    state.MotionMode = kMotionDrilling;
  }
}

std::optional<std::string> WriteCycle280(TranslatorState& state, ToolLookup& tools,
                                         LineWriter& out) {
  if (auto failure = LookUpTool(state, tools)) return failure;
  out << "G85" << state.DistanceCode << "G54" << "P5" << state.Line.ToolDigits;
  out.Word('F', state.ModalF) << state.CompCode;
  out.Word('X', state.ModalX).Word('Y', state.ModalY).Word('Z', state.ModalP);
  out.Word('Q', state.Line.LineU).Emit();
  state.MotionMode = kMotionNone;
  return std::nullopt;
}

}  // namespace

void ToolLookup::Refresh() {
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    const std::string_view from = table_.GridCell(row, ToolTable::kFromColumn);
    Row& values = rows_[row - 1];
    values.from = ToSingle(Val(from));
    values.to = ToInt16(Val(table_.GridCell(row, ToolTable::kToColumn)));
    values.fromTwoDigits = Format(from, Pattern::kTwoDigits);
  }
  loaded_ = true;
  generation_ = table_.Generation();
}

std::optional<std::string> ToolLookup::Substitute(float toolNumber, std::int16_t& substituted) {
  if (!loaded_ || generation_ != table_.Generation()) Refresh();
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    const Row& values = rows_[row - 1];
    if (!values.from) {
      return CellFailure(table_, row, ToolTable::kFromColumn, "a 32-bit number");
    }
    if (*values.from != toolNumber) continue;
    if (!values.to) {
      return CellFailure(table_, row, ToolTable::kToColumn, "a tool number (-32768..32767)");
    }
    substituted = *values.to;  // several matching rows: the last one wins
  }
  return std::nullopt;
}

std::string_view ToolLookup::FromTwoDigits(int row) {
  if (row < 1 || row > ToolTable::kRows) return {};
  if (!loaded_ || generation_ != table_.Generation()) Refresh();
  return rows_[row - 1].fromTwoDigits;
}

std::optional<std::string> LookUpTool(TranslatorState& state, ToolLookup& tools) {
  LineValues& line = state.Line;
  // ToolNumber only ever holds a T word that fitted in 16 bits.
  std::int16_t n = static_cast<std::int16_t>(state.ToolNumber);
  if (auto failure = tools.Substitute(state.ToolNumber, n)) return failure;
  line.LineT = n;
  line.ToolDigits.clear();
  line.ToolSuffix.clear();
  if (n <= 0) return std::nullopt;
  AppendToolSuffix(n, line.ToolSuffix);
  line.ToolDigits += kToolWord;
  line.ToolDigits += tools.FromTwoDigits(n);
  line.ToolDigits += line.ToolSuffix;
  return std::nullopt;
}

void AppendToolSuffix(std::int16_t n, std::string& suffix) {
  if (n <= kLargestPlainSuffix) {
    suffix += std::to_string(n);
  } else if (n <= kLargestLetterSuffix) {
    suffix += static_cast<char>('a' + (n / 10) % 10);
    suffix += static_cast<char>('0' + n % 10);
  } else {
    const int lastTwo = (n - 200) % 100;
    suffix += static_cast<char>('0' + lastTwo / 10);
    suffix += static_cast<char>('0' + lastTwo % 10);
    suffix += kLargeToolTail;
  }
}

std::optional<std::string> ActOnDrillingCode(int code, TranslatorState& state, ToolLookup& tools,
                                             LineWriter& out) {
  if (code == kEngageOrDrill) {
    EngageOrDrill(state);
    return std::nullopt;
  }
  return WriteCycle280(state, tools, out);
}

std::optional<std::string> WritePositioningBlock(TranslatorState& state, ToolLookup& tools,
                                                 LineWriter& out) {
  if (auto failure = LookUpTool(state, tools)) return failure;
  // The source tool number decides, not the substituted one.
  const bool tool81 = state.ToolNumber == kTool81;
  out << (tool81 ? "G85" : "G88") << state.DistanceCode << "G54" << "P5" << state.Line.ToolDigits;
  out.Word('S', 0) << state.CompCode;
  out.Word('X', state.PrevX).Word('Y', state.PrevY).Word('Z', state.PrevP);
  if (tool81) {
    // Q is the X of the feed line itself; the G85 line replaces that line's motion.
    out.Word('Q', state.ModalX).Emit();
    state.MotionMode = kMotionNone;
  } else {
    (out << "C0V0").Emit();
  }
  return std::nullopt;
}

void WriteDrilling(TranslatorState& state, LineWriter& out) {
  LineValues& line = state.Line;
  RenumberSpindles(line.ToolDigits);
  out << "G81" << state.DistanceCode << state.PlaneCode << kToolWord << line.ToolDigits;
  out.Word('X', state.ModalX).Word('Y', state.ModalY).Word('Z', state.ModalP);
  out.Word('I', line.LineI).Word('J', line.LineJ).Word('F', state.ModalF).Emit();
}

void RenumberSpindles(std::string& toolDigits) {
  const std::size_t length = toolDigits.size();
  for (std::size_t k = 0; k < length; k += 2) {
    const std::size_t width = k + 1 < length ? 2 : 1;
    const double group = Val(std::string_view(toolDigits).substr(k, width));
    if (group < 1 || group > 10 || group != static_cast<int>(group)) continue;
    toolDigits.replace(k, width, kSpindles[static_cast<int>(group) - 1].substr(0, width));
  }
}

}  // namespace quarnel
