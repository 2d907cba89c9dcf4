#include "engine/batch/translation_pool.h"

#include <algorithm>
#include <new>
#include <utility>

#include "engine/translate/program_header.h"
#include "support/file_store.h"
#include "tools/tool_table.h"

namespace quarnel {

TranslatedFile TranslateFile(FileStore& files, Translator& translator, const std::string& path,
                             bool keepSource, ProgramBody program) {
  TranslatedFile file;
  file.program = std::move(program);
  try {
    ReadOutcome read = files.ReadRegularFile(path);
    if (!read.ok) {
      file.failure = "cannot read the source: " + read.error;
      return file;
    }
    SourceTranslation translation = TranslateSource(read.bytes, translator, file.program);
    file.failure = std::move(translation.failure);
    file.partDimensions = std::move(translation.partDimensions);
    file.notes = translator.Notes();
    if (keepSource) file.source = std::move(read.bytes);
  } catch (const std::bad_alloc&) {
    // A file too large for the memory left (a huge or sparse source, or its translation) fails
    // alone, like any other failure; the batch and the program go on.
    file = TranslatedFile{};
    file.failure = "there is not enough memory to convert it";
  }
  return file;
}

TranslationPool::TranslationPool(FileStore& files, const ToolTable& tools,
                                 std::vector<std::string> sources, std::vector<std::string> outputs,
                                 unsigned jobs, std::optional<AheadGeometry> geometry)
    : files_(files),
      tools_(tools),
      sources_(std::move(sources)),
      outputs_(std::move(outputs)),
      geometry_(std::move(geometry)),
      window_(static_cast<std::size_t>(jobs) + 1),
      slots_(sources_.size(), Slot::kWaiting),
      results_(sources_.size()),
      dimsKnown_(geometry_ ? sources_.size() : 0, Dims::kPending),
      dimsLeft_(dimsKnown_.size()) {
  for (unsigned i = 0; i < jobs; ++i) threads_.emplace_back([this] { Work(); });
}

TranslationPool::~TranslationPool() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

std::optional<TranslatedFile> TranslationPool::Take(std::size_t index) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [&] { return slots_[index] != Slot::kWaiting; });
  taken_ = std::max(taken_, index + 1);
  std::optional<TranslatedFile> result = std::move(results_[index]);
  results_[index].reset();
  lock.unlock();
  changed_.notify_all();
  return result;
}

// With geometry checks a buffer is not kept: an idle one would add to the memory that the
// checks in flight hold, and growing a new one costs little beside a check.
void TranslationPool::GiveBack(ProgramBody program) {
  if (geometry_) return;
  const std::lock_guard<std::mutex> lock(mutex_);
  spares_.push_back(std::move(program));
}

// Each thread takes up the sources in batch order, never more than the window ahead of the
// batch, so that memory stays bounded by the files in flight.
void TranslationPool::Work() {
  Translator translator(tools_);
  for (;;) {
    std::size_t index = 0;
    ProgramBody program;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] {
        return stopping_ || (next_ < sources_.size() && next_ < taken_ + window_);
      });
      if (stopping_) return;
      index = next_++;
      if (!spares_.empty()) {
        program = std::move(spares_.back());
        spares_.pop_back();
      }
    }
    std::optional<TranslatedFile> result;
    if (!MustWaitForEarlierOutputs(index)) {
      result = TranslateFile(files_, translator, sources_[index], geometry_.has_value(),
                             std::move(program));
    }
    if (geometry_) {
      const std::optional<DimensionTexts> dims = PassOnDimensions(index, result);
      if (dims && result && !result->failure) result->geometry = CheckAhead(*result, *dims, index);
      // A check that ran out of memory took the source with it: the batch translates the file
      // again in turn and checks it itself.
      if (result && result->completedUnder && !result->geometry) result.reset();
    }
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      slots_[index] = result ? Slot::kReady : Slot::kInTurn;
      results_[index] = std::move(result);
    }
    changed_.notify_all();
  }
}

// A source is taken up at most the window ahead of the last one taken, and the batch has written
// every output but the last two it took: the outputs not written yet are among the window and
// the two before it.
bool TranslationPool::MustWaitForEarlierOutputs(std::size_t index) {
  const std::string& source = sources_[index];
  if (!Exists(files_, source)) return true;  // missing: may be a link to a new output
  const std::size_t first = index > window_ + 2 ? index - window_ - 2 : 0;
  for (std::size_t earlier = first; earlier < index; ++earlier) {
    if (files_.SameFile(source, outputs_[earlier])) return true;
  }
  return false;
}


// Records the dimension texts file index leaves, as the batch will apply them: its own G200's,
// or else those the file before it leaves. Unknown for a file left to be translated in turn,
// and so for the files after it up to the next G200. Returns them when known.
std::optional<DimensionTexts> TranslationPool::PassOnDimensions(
    std::size_t index, const std::optional<TranslatedFile>& result) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (result && result->partDimensions) {
    dimsLeft_[index] = *result->partDimensions;
    dimsKnown_[index] = Dims::kKnown;
  } else if (result && index == 0) {
    dimsLeft_[index] = geometry_->given;
    dimsKnown_[index] = Dims::kKnown;
  } else if (result) {
    changed_.wait(lock, [&] { return stopping_ || dimsKnown_[index - 1] != Dims::kPending; });
    dimsKnown_[index] = stopping_ ? Dims::kUnknown : dimsKnown_[index - 1];
    dimsLeft_[index] = dimsLeft_[index - 1];
  } else {
    dimsKnown_[index] = Dims::kUnknown;
  }
  std::optional<DimensionTexts> dims;
  if (dimsKnown_[index] == Dims::kKnown) dims = dimsLeft_[index];
  lock.unlock();
  changed_.notify_all();
  return dims;
}

// The geometry of a translated file under the header of dims, which completes its program in
// place; nullopt when the header cannot be written or memory runs out, for the batch to settle.
std::optional<CheckedGeometry> TranslationPool::CheckAhead(TranslatedFile& file,
                                                           const DimensionTexts& dims,
                                                           std::size_t index) const {
  try {
    if (CompleteProgram(dims, file.program)) return std::nullopt;
    file.completedUnder = dims;
    return CheckConvertedGeometry(std::move(file.source), file.program.Program(), dims, tools_,
                                  sources_[index], outputs_[index], geometry_->options);
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace quarnel
