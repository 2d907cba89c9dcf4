#include "support/settings_store.h"

#include <utility>

#include "support/file_store.h"
#include "support/ini_text.h"

namespace quarnel {

IniStore::IniStore(FileStore& files, std::string iniPath)
    : files_(files), iniPath_(std::move(iniPath)) {}

std::string IniStore::IniRead(std::string_view section, std::string_view key) const {
  const ReadOutcome read = files_.ReadRegularFile(iniPath_);
  return read.ok ? IniValueIn(read.bytes, section, key) : std::string();
}

void IniStore::IniWrite(std::string_view section, std::string_view key, std::string_view value) {
  const ReadOutcome read = files_.ReadRegularFile(iniPath_);
  // A file that exists but cannot be read is left alone: writing the one key in its place
  // would throw away every other setting.
  if (!read.ok && Exists(files_, iniPath_)) return;
  const std::optional<std::string> text = IniTextWith(read.bytes, section, key, value);
  if (!text || (read.ok && *text == read.bytes)) return;
  files_.WriteAtomically(iniPath_, *text);  // a failed write is lost; the old file stays
}

}  // namespace quarnel
