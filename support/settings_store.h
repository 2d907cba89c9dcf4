// "Quarnel.INI": the settings file, read and written one key at a time.
#pragma once

#include <string>
#include <string_view>

namespace quarnel {

class FileStore;

// Every read asks the file and every write goes straight to it; nothing is cached.
class IniStore {
 public:
  IniStore(FileStore& files, std::string iniPath);

  // The stored value with surrounding spaces removed; "" when the file, section or key is
  // absent, the value is empty or it is the text "END.-". Section and key names match without
  // regard to case. Never fails.
  std::string IniRead(std::string_view section, std::string_view key) const;
  // Stores value, creating file, section and key as needed and keeping every other line.
  // A failed write is silently lost and never leaves a half-written file; a value holding a
  // line break is not written.
  void IniWrite(std::string_view section, std::string_view key, std::string_view value);

  const std::string& Path() const { return iniPath_; }

 private:
  FileStore& files_;
  std::string iniPath_;
};

}  // namespace quarnel
