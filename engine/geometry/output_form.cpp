#include "engine/geometry/output_form.h"

#include <string>

#include "engine/translate/line_scanner.h"
#include "engine/translate/output_codes.h"
#include "engine/translate/program_header.h"
#include "support/decimal_text.h"
#include "support/number.h"
#include "support/text.h"

namespace quarnel {

namespace {

constexpr std::size_t kUnitsLength = output::kInchHeader.text.size();
constexpr std::size_t kLinesAroundBody = 3;  // header, comment line and M2

// The header line in its parts.
struct HeaderParts {
  std::string_view units;       // its first three characters: "G71"
  std::string_view dimensions;  // from there to the fixed words: "X600Y400Z18"
  bool fixedWords = false;      // T00D240 follows them
  std::string_view lineCount;   // after N: lines from the header to M2
  std::string_view bodyCount;   // after L: body lines
};

HeaderParts SplitHeader(std::string_view line) {
  HeaderParts parts;
  parts.units = line.substr(0, kUnitsLength);
  const std::size_t fixed = line.find(output::kHeaderFixedWords, parts.units.size());
  parts.dimensions = line.substr(parts.units.size(), fixed - parts.units.size());
  if (fixed == std::string_view::npos) return parts;
  parts.fixedWords = true;
  std::string_view counts = line.substr(fixed + output::kHeaderFixedWords.size());
  if (!counts.starts_with(output::kLineCountLetter)) return parts;
  const std::size_t body = counts.find(output::kBodyCountLetter);
  parts.lineCount = counts.substr(1, body - 1);
  if (body != std::string_view::npos) parts.bodyCount = counts.substr(body + 1);
  return parts;
}

std::string CountText(std::size_t count) {
  return Format(static_cast<double>(count), Pattern::kCount);
}

std::string Quoted(const std::string& text) { return '"' + text + '"'; }

// The header's units and part dimensions against those the dimension texts give.
void CheckHeaderDimensions(const HeaderParts& written, const DimensionTexts& dims,
                           std::size_t bodyLines, GeometryCheck& check) {
  const HeaderLines expected = ProgramHeader(dims, bodyLines);
  if (expected.failure) return;
  const HeaderParts wanted = SplitHeader(SplitLines(expected.text).front());
  if (written.units != wanted.units) {
    check.Add({0, 1, "header units " + std::string(written.units) + ", but the height " +
                         Quoted(dims.height) + " gives " + std::string(wanted.units) + " (" +
                         std::string(SelectedUnits(dims.height).name) + ")"});
  }
  if (written.dimensions != wanted.dimensions) {
    check.Add({0, 1, "header dimensions " + std::string(written.dimensions) + ", but the part " +
                         Quoted(dims.length) + " x " + Quoted(dims.height) + " x " +
                         Quoted(dims.thickness) + " gives " + std::string(wanted.dimensions)});
  }
}

void CheckHeader(std::string_view line, const DimensionTexts* dims, std::size_t bodyLines,
                 GeometryCheck& check) {
  const HeaderParts written = SplitHeader(line);
  if (dims != nullptr) {
    CheckHeaderDimensions(written, *dims, bodyLines, check);
  } else if (written.units != output::kInchHeader.text &&
             written.units != output::kMillimetreHeader.text) {
    check.Add({0, 1, "the header does not start with G70 or G71"});
  }
  if (!written.fixedWords) {
    check.Add({0, 1, "the header lacks " + std::string(output::kHeaderFixedWords)});
    return;
  }
  if (written.lineCount != CountText(bodyLines + kLinesAroundBody)) {
    check.Add({0, 1, "header N" + std::string(written.lineCount) + ": the program has " +
                         std::to_string(bodyLines + kLinesAroundBody) +
                         " lines from the header to M2"});
  }
  if (written.bodyCount != CountText(bodyLines)) {
    check.Add({0, 1, "header L" + std::string(written.bodyCount) + ": the program has " +
                         std::to_string(bodyLines) + " body lines"});
  }
}

// The lines CheckOutputForm looks at, and the lines that do not end in CR LF, from one pass over
// the program.
struct FormLines {
  std::string_view header;
  std::string_view comment;
  std::string_view last;      // the last line that is not empty
  std::size_t lastLine = 0;   // its number, 0 when every line is empty
  std::size_t lines = 0;
  std::size_t badEnds = 0;    // lines that do not end in CR LF
  std::size_t firstBadEnd = 0;
  std::string_view firstBadEndName;  // "an LF alone"
};

// How the line that ends where rest starts ends, when not in CR LF.
std::string_view BadLineEnd(std::string_view rest) {
  if (rest.starts_with(output::kLineEnd)) return {};
  if (rest.empty()) return "no line end";
  return rest.front() == '\r' ? "a CR alone" : "an LF alone";
}

FormLines FormLinesOf(std::string_view program) {
  FormLines form;
  LineScanner scanner(program);
  for (std::string_view line; scanner.Next(line);) {
    ++form.lines;
    const std::size_t end = static_cast<std::size_t>(line.data() - program.data()) + line.size();
    if (const std::string_view bad = BadLineEnd(program.substr(end)); !bad.empty()) {
      if (form.badEnds++ == 0) {
        form.firstBadEnd = form.lines;
        form.firstBadEndName = bad;
      }
    }
    if (form.lines == 1) form.header = line;
    if (form.lines == 2) form.comment = line;
    if (line.empty()) continue;
    form.last = line;
    form.lastLine = form.lines;
  }
  return form;
}

std::size_t BodyLinesOf(const FormLines& form) {
  const bool ends = form.last == output::kProgramEnd;
  const std::size_t bodyEnd = ends ? form.lastLine - 1 : form.lastLine;  // lines before M2
  return bodyEnd > 2 ? bodyEnd - 2 : 0;
}

void CheckLineEnds(const FormLines& form, GeometryCheck& check) {
  if (form.badEnds == 0) return;
  std::string text = "the line ends in " + std::string(form.firstBadEndName) + ", not CR LF";
  if (form.badEnds > 1) text += " (and " + GroupedCount(form.badEnds - 1) + " more lines)";
  check.Add({0, static_cast<int>(form.firstBadEnd), std::move(text)});
}

}  // namespace

void CheckOutputForm(std::string_view program, const DimensionTexts* dims, GeometryCheck& check) {
  if (program.starts_with(kByteOrderMark)) {
    check.Add({0, 1, "the output starts with a byte-order mark"});
  }
  const FormLines form = FormLinesOf(program);
  CheckLineEnds(form, check);
  if (form.lastLine == 0) {
    check.Add({0, 0, "the output is empty"});
    return;
  }
  const int last = static_cast<int>(form.lastLine);
  const bool ends = form.last == output::kProgramEnd;
  if (!ends) {
    check.Add({0, last, "the program does not end in " + std::string(output::kProgramEnd)});
  } else if (form.lines != form.lastLine + 1) {
    check.Add({0, last, std::string(output::kProgramEnd) +
                            " is not followed by exactly one empty line"});
  }
  CheckHeader(form.header, dims, BodyLinesOf(form), check);
  const std::string comment = std::string(output::kComment.text) + std::string(output::kCommentText);
  if (form.comment != comment) check.Add({0, 2, "the second line is not " + comment});
}

std::size_t OutputBodyLines(std::string_view program) {
  return BodyLinesOf(FormLinesOf(program));
}

}  // namespace quarnel
