#include "engine/driver.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <set>

#include "engine/background_writer.h"
#include "engine/line_translator.h"
#include "support/file_store.h"
#include "support/number.h"
#include "support/paths.h"
#include "support/text.h"

namespace quarnel {

namespace {

constexpr double kMillimetresPerInch = 25.4;
// A height above this many units means the dimensions are millimetres; otherwise inches.
constexpr double kInchHeightLimit = 60;
constexpr std::string_view kCommentLine = "G150(G-code from router)";

// A dimension text in inch mode: the box value, through millimetres kept to 15 digits and back,
// formatted "####.###". nullopt when the conversion to millimetres overflows.
std::optional<std::string> InchText(const std::string& boxText) {
  const double millimetres = Val(boxText) * kMillimetresPerInch;
  if (!std::isfinite(millimetres)) return std::nullopt;
  return Format(Val(NumberText(millimetres)) / kMillimetresPerInch, Pattern::kInch);
}

// A text that will be formatted as a number must hold one that a double can carry.
bool FitsAsNumber(const std::string& text) {
  return !IsPlainNumber(text) || std::isfinite(Val(text));
}

// Room kept in front of the body for the two header lines, so that they go in front without
// moving the body. A header that does not fit (very long dimension texts) moves it.
constexpr std::size_t kHeaderRoom = 256;

// Number of carriage returns in text. Blocks of at most 255 bytes are counted in a byte-wide
// counter, a loop the compiler turns into vector compares.
std::size_t CountCarriageReturns(std::string_view text) {
  constexpr std::size_t kBlock = 255;
  std::size_t count = 0;
  while (!text.empty()) {
    const std::size_t block = std::min(text.size(), kBlock);
    unsigned char inBlock = 0;
    for (std::size_t i = 0; i < block; ++i) inBlock += text[i] == '\r' ? 1 : 0;
    count += inBlock;
    text.remove_prefix(block);
  }
  return count;
}

std::string WriteFailure(const std::string& outputPath, const std::string& error) {
  return "cannot write " + outputPath + ": " + error;
}

}  // namespace

std::string S1(const std::string& directory) {
  if (!directory.empty() && directory.back() == kPathSeparator) return "";
  return std::string(1, kPathSeparator);
}

std::vector<std::string> SelectedSourcePaths(const SourceSelection& selection) {
  std::vector<std::string> paths;
  const std::size_t last = selection.names.size();
  for (std::size_t i = 0; i < last; ++i) {
    if (i < selection.selected.size() && selection.selected[i]) {
      paths.push_back(selection.directory + S1(selection.directory) + selection.names[i]);
    }
  }
  return paths;
}

ConversionDriver::ConversionDriver(FileStore& files, LineTranslator& translator,
                                   DimensionTexts& dims)
    : files_(files), translator_(translator), dims_(dims), scanner_(files) {}

std::string ConversionDriver::OutputPathFor(const std::string& sourcePath) const {
  return destination_ + kPathSeparator + FileNameOf(sourcePath);
}

// Without hooks, nothing looks at a file before the batch ends, so with a file store that
// allows it each output is written on a thread of its own while the next source is translated.
// The results stay those of writing each file right after its translation: every outcome is
// settled, in file order, before the next file's own outcome is recorded; and a source that
// might be the output still being written (it is that file, or it does not exist yet and may
// be a link to it), or a source of the same name, waits for that write.
std::vector<FileFailure> ConversionDriver::ConvertBatch(const std::vector<std::string>& sourcePaths,
                                                        const FileHook& before,
                                                        const FileHook& after) {
  std::optional<BackgroundWriter> writer;
  if (!before && !after && files_.WritesAlongside()) writer.emplace(files_);
  std::set<std::string> written;  // output names of this batch
  std::vector<FileFailure> failures;
  struct PendingWrite {
    std::string source, name, output;
  };
  std::optional<PendingWrite> pending;
  auto settle = [&] {
    if (!pending) return;
    if (auto error = writer->Finish()) {
      failures.push_back({pending->source, WriteFailure(pending->output, *error)});
    } else {
      written.insert(pending->name);
    }
    pending.reset();
  };
  for (const std::string& path : sourcePaths) {
    if (before) before(path);
    const std::string name = FileNameOf(path);
    const std::string output = OutputPathFor(path);
    if (pending && (pending->name == name || MaySeeOutput(path, pending->output))) settle();
    std::optional<std::string> failure;
    if (written.count(name) != 0) {
      failure = "another source of this batch was already written to " + output;
    } else {
      failure = TranslateOne(path, output);
    }
    settle();
    if (failure) {
      failures.push_back({path, std::move(*failure)});
    } else if (writer) {
      std::swap(outBuffer_, writeBuffer_);
      writer->Start(output, std::string_view(writeBuffer_).substr(programStart_));
      pending = PendingWrite{path, name, output};
    } else if (auto error = WriteProgram(output)) {
      failures.push_back({path, std::move(*error)});
    } else {
      written.insert(name);
    }
    if (after) after(path);
  }
  settle();
  return failures;
}

std::optional<FileFailure> ConversionDriver::Process(const std::string& sourcePath) {
  const std::string outputPath = OutputPathFor(sourcePath);
  std::optional<std::string> reason = TranslateOne(sourcePath, outputPath);
  if (!reason) reason = WriteProgram(outputPath);
  if (reason) return FileFailure{sourcePath, std::move(*reason)};
  return std::nullopt;
}

// Checks that need no content come first and change nothing; then the scan and the header.
std::optional<std::string> ConversionDriver::TranslateOne(const std::string& sourcePath,
                                                          const std::string& outputPath) {
  const std::string name = FileNameOf(sourcePath);
  if (name.empty()) return "the source path names no file";
  if (files_.SameFile(sourcePath, outputPath)) {
    return "the output " + outputPath + " would replace the source file itself";
  }
  failure_.reset();
  scanner_.SetFileName(sourcePath);
  ScanOutcome outcome = ScanOutcome::kStopped;
  try {
    outcome = scanner_.Run(*this);
  } catch (const std::bad_alloc&) {
    // A file too large for the memory left (a huge or sparse source, or its translation) fails
    // alone, like any other failure; the batch and the program go on.
    outBuffer_ = std::string();
    return "there is not enough memory to convert it";
  }
  if (outcome == ScanOutcome::kUnreadable) return "cannot read the source: " + scanner_.ReadError();
  return failure_;
}

// Writes the program of the file last translated, whole; the reason when that fails.
std::optional<std::string> ConversionDriver::WriteProgram(const std::string& outputPath) {
  const std::string_view program = std::string_view(outBuffer_).substr(programStart_);
  if (auto error = files_.WriteAtomically(outputPath, program)) {
    return WriteFailure(outputPath, *error);
  }
  return std::nullopt;
}

// A source that does not exist (yet) or is the output's file could read that output.
bool ConversionDriver::MaySeeOutput(const std::string& sourcePath, const std::string& outputPath) {
  return !files_.SameFile(sourcePath, sourcePath) || files_.SameFile(sourcePath, outputPath);
}

void ConversionDriver::ScanBegin() {
  translator_.BeginFile();
  outBuffer_.assign(kHeaderRoom, ' ');
  programStart_ = kHeaderRoom;
}

bool ConversionDriver::ScanLine() {
  auto reason = translator_.TranslateLine(scanner_, outBuffer_);
  if (!reason) return true;
  failure_ = "line " + std::to_string(scanner_.LineNumber()) + ": " + *reason;
  return false;
}

void ConversionDriver::ScanEnd() {
  std::string header;
  if (auto reason = BuildHeader(header)) {
    failure_ = std::move(reason);
    return;
  }
  if (header.size() <= kHeaderRoom) {
    programStart_ = kHeaderRoom - header.size();
    outBuffer_.replace(programStart_, header.size(), header);
  } else {
    outBuffer_.replace(0, kHeaderRoom, header);
    programStart_ = 0;
  }
  EmitLine(outBuffer_, "M2");
  outBuffer_ += "\r\n";
}

// The two header lines: units, dimensions and line counts, then the fixed comment line.
std::optional<std::string> ConversionDriver::BuildHeader(std::string& header) {
  if (HasLineBreak(dims_.length) || HasLineBreak(dims_.height) || HasLineBreak(dims_.thickness)) {
    return "a part dimension holds a line break";
  }
  std::string length = dims_.length;
  std::string height = dims_.height;
  std::string thickness = dims_.thickness;
  if (Val(height) > kInchHeightLimit) {
    unitCode_ = "G71";
  } else {
    unitCode_ = "G70";
    auto inchLength = InchText(length), inchHeight = InchText(height),
         inchThickness = InchText(thickness);
    if (!inchLength || !inchHeight || !inchThickness) {
      return "a part dimension is too large to convert from inches";
    }
    length = std::move(*inchLength);
    height = std::move(*inchHeight);
    thickness = std::move(*inchThickness);
  }
  if (!FitsAsNumber(length) || !FitsAsNumber(height) || !FitsAsNumber(thickness)) {
    return "a part dimension is too large to be written";
  }
  const std::size_t bodyLines =
      CountCarriageReturns(std::string_view(outBuffer_).substr(kHeaderRoom));
  if (bodyLines > static_cast<std::size_t>(kMaxBodyLines)) {
    return "the translated program has " + std::to_string(bodyLines) + " lines; at most " +
           std::to_string(kMaxBodyLines) + " fit in the header's line count";
  }
  const std::string headerLine = unitCode_ + FormatCoord('X', length) + FormatCoord('Y', height) +
                                 FormatCoord('Z', thickness) + "T00D240N" +
                                 Format(static_cast<double>(bodyLines + 3), Pattern::kCount) + "L" +
                                 Format(static_cast<double>(bodyLines), Pattern::kCount);
  header.clear();
  EmitLine(header, headerLine);
  EmitLine(header, kCommentLine);
  return std::nullopt;
}

}  // namespace quarnel
