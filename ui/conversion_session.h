// The conversion as the window runs it: a batch followed file by file, and the message after it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "engine/conversion_batch.h"
#include "ui/messages.h"

namespace quarnel {

// Runs two functions of the window around each file of a batch.
class FileHooks final : public BatchObserver {
 public:
  using Starting = std::function<void()>;
  using Done = std::function<void(const DimensionTexts& dims)>;

  FileHooks(Starting starting, Done done)
      : starting_(std::move(starting)), done_(std::move(done)) {}
  void FileStarting(const std::string&) override { starting_(); }
  void FileDone(const std::string&, const DimensionTexts& dims) override { done_(dims); }

 private:
  Starting starting_;
  Done done_;
};

// The one message after a batch with failures: how many files were not converted, and each
// file with its reason in the details, which scroll however many files failed.
Message BatchFailureMessage(const std::vector<FileFailure>& failures);

}  // namespace quarnel
