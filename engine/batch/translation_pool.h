// The translations of a batch's files, done ahead of the batch on threads of their own. Every
// file is translated from the start state, so its translation depends on nothing the files
// before it do: only the dimension texts they leave, which the batch applies in order after.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/batch/batch_options.h"
#include "engine/batch/converted_geometry.h"
#include "engine/translate/dimension_texts.h"
#include "engine/translate/program_body.h"
#include "engine/translate/translation_notes.h"
#include "engine/translate/translator.h"

namespace quarnel {

class FileStore;
class ToolTable;

// What translating one source file gives, wherever it was done.
struct TranslatedFile {
  std::optional<std::string> failure;  // cannot read, a line that fails, or out of memory
  std::optional<DimensionTexts> partDimensions;  // set by a G200 before any failure
  TranslationNotes notes;
  ProgramBody program;  // the body, with room for the header, or the program completed ahead
  // Set when program was completed ahead with the header of these texts, for its check.
  std::optional<DimensionTexts> completedUnder;
  std::string source;  // the source text, when it was asked to be kept and is not checked yet
  // Checked ahead under the header the files before it were expected to leave; the batch uses
  // it only when its own dimension texts turn out the same, and otherwise translates the file
  // again.
  std::optional<CheckedGeometry> geometry;
};

// Reads and translates one source into program (emptied first); keeps the source text when
// keepSource. A source too large for the memory left fails alone.
TranslatedFile TranslateFile(FileStore& files, Translator& translator, const std::string& path,
                             bool keepSource, ProgramBody program = {});

// The geometry checks a pool does beside each translation: under the header of the dimension
// texts that the files before it leave, starting from given (as the batch applies them when
// no file fails before its translation is applied), with the batch's options.
struct AheadGeometry {
  DimensionTexts given;
  const BatchOptions& options;
};

class TranslationPool {
 public:
  // Translates sources (whose outputs go to outputs) on jobs threads, at most jobs + 1 files
  // ahead of the last one taken, and checks their geometry when geometry is given (keeping the
  // sources). files must allow reads alongside writes (FileStore::WritesAlongside) and tools
  // must not change while the pool lives.
  TranslationPool(FileStore& files, const ToolTable& tools, std::vector<std::string> sources,
                  std::vector<std::string> outputs, unsigned jobs,
                  std::optional<AheadGeometry> geometry);
  // Stops the threads; translations not taken are dropped.
  ~TranslationPool();
  TranslationPool(const TranslationPool&) = delete;
  TranslationPool& operator=(const TranslationPool&) = delete;

  // Waits for the translation of source index, taken in batch order. nullopt when the source
  // might read the output of a file before it that may not be written yet (it is one, or a link
  // to one, or does not exist yet): it must be translated in turn, once those are written.
  std::optional<TranslatedFile> Take(std::size_t index);
  // A program buffer to reuse for a later translation (dropped when checking geometry).
  void GiveBack(ProgramBody program);

 private:
  enum class Slot { kWaiting, kReady, kInTurn };
  // Whether the dimension texts a file leaves are known ahead: not for a file left in turn.
  enum class Dims { kPending, kKnown, kUnknown };
  void Work();
  bool MustWaitForEarlierOutputs(std::size_t index);
  std::optional<DimensionTexts> PassOnDimensions(std::size_t index,
                                                 const std::optional<TranslatedFile>& result);
  std::optional<CheckedGeometry> CheckAhead(TranslatedFile& file, const DimensionTexts& dims,
                                            std::size_t index) const;

  FileStore& files_;
  const ToolTable& tools_;
  const std::vector<std::string> sources_;
  const std::vector<std::string> outputs_;
  const std::optional<AheadGeometry> geometry_;
  const std::size_t window_;

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<Slot> slots_;
  std::vector<std::optional<TranslatedFile>> results_;
  std::vector<ProgramBody> spares_;
  std::vector<Dims> dimsKnown_;           // with geometry_: for the dimension texts each file
  std::vector<DimensionTexts> dimsLeft_;  // leaves, which its header uses too
  std::size_t next_ = 0;   // the next source a thread takes up
  std::size_t taken_ = 0;  // sources the batch has taken
  bool stopping_ = false;
  std::vector<std::thread> threads_;  // last: they start once everything above is ready
};

}  // namespace quarnel
