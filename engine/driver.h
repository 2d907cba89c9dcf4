// Turns selected source files into output programs: one scan per file, the header put in front
// of the translated body, and the whole text written atomically.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/dimension_texts.h"
#include "engine/line_scanner.h"

namespace quarnel {

class FileStore;
class LineTranslator;

// One file of a batch that was not written, and why.
struct FileFailure {
  std::string file;    // the source path as given
  std::string reason;  // a sentence for the user, with the line number where there is one
};

// The source file list as the driver sees it: its directory and entries in display order.
struct SourceSelection {
  std::string directory;
  std::vector<std::string> names;
  std::vector<bool> selected;  // same length as names
};

// "" when directory ends in the path separator (a root), the separator otherwise.
std::string S1(const std::string& directory);
// Full paths of the selected entries, in list order.
std::vector<std::string> SelectedSourcePaths(const SourceSelection& selection);

class ConversionDriver final : private ScanHandler {
 public:
  using FileHook = std::function<void(const std::string& sourcePath)>;

  // dims are read at the end of every file and may be rewritten by the translator (G200).
  ConversionDriver(FileStore& files, LineTranslator& translator, DimensionTexts& dims);

  void SetDestination(std::string directory) { destination_ = std::move(directory); }
  const std::string& Destination() const { return destination_; }

  // Converts the files in order as one batch; an output name is written at most once per
  // batch. before/after run around each file (busy pointer, list refresh) and may be empty.
  std::vector<FileFailure> ConvertBatch(const std::vector<std::string>& sourcePaths,
                                        const FileHook& before = {}, const FileHook& after = {});

  // Converts one source file into the destination directory, outside any batch.
  std::optional<FileFailure> Process(const std::string& sourcePath);

  // "G71" or "G70" as decided for the last file; "" before the first.
  const std::string& UnitCode() const { return unitCode_; }
  // The output path for a source path: destination, "/", the source's file name.
  std::string OutputPathFor(const std::string& sourcePath) const;

 private:
  void ScanBegin() override;
  bool ScanLine() override;
  void ScanEnd() override;
  std::optional<std::string> TranslateOne(const std::string& sourcePath,
                                          const std::string& outputPath);
  std::optional<std::string> WriteProgram(const std::string& outputPath);
  bool MaySeeOutput(const std::string& sourcePath, const std::string& outputPath);
  std::optional<std::string> BuildHeader(std::string& header);

  FileStore& files_;
  LineTranslator& translator_;
  DimensionTexts& dims_;
  LineScanner scanner_;
  std::string destination_;
  // Room for the header, then the body the translator appends; ScanEnd puts the header right
  // in front of the body, so the output program starts at programStart_.
  std::string outBuffer_;
  std::size_t programStart_ = 0;
  std::string writeBuffer_;  // the last program, while a thread of its own writes it
  std::string unitCode_;
  std::optional<std::string> failure_;  // set by a callback when the file fails
};

}  // namespace quarnel
