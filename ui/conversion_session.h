// The conversion as the window runs it: the window's tool table, and the dimension texts handed
// over from the boxes and back (every file is translated from the start state).
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/dimension_texts.h"
#include "engine/driver.h"
#include "engine/translator.h"
#include "engine/translator_state.h"
#include "ui/messages.h"

namespace quarnel {

class FileStore;
class ToolTable;

class ConversionSession {
 public:
  // Called after each file with the dimension texts as they stand (a G200 line rewrites them).
  using AfterFile = std::function<void(const DimensionTexts& dims)>;

  ConversionSession(FileStore& files, const ToolTable& tools);

  // Converts sourcePaths into destination as one batch, starting from dims; before runs ahead
  // of each file and after behind it. Returns the files that were not written.
  std::vector<FileFailure> RunBatch(const std::vector<std::string>& sourcePaths,
                                    const std::string& destination, const DimensionTexts& dims,
                                    const std::function<void()>& before, const AfterFile& after);

  const TranslatorState& State() const { return state_; }

 private:
  TranslatorState state_;
  DimensionTexts dims_;
  Translator translator_;
  ConversionDriver driver_;
};

// The one message after a batch with failures: how many files were not converted, and each
// file with its reason in the details, which scroll however many files failed.
Message BatchFailureMessage(const std::vector<FileFailure>& failures);

}  // namespace quarnel
