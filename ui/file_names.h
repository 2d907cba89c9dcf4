// Names in the window's file lists, without Qt: their order, the "Programs" filter, how a name
// that is not UTF-8 is shown, and what a drop of paths on a list chooses. A name is kept as
// the bytes the file system gave, from the list to the disk.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quarnel {

// Natural, case-insensitive order: runs of digits compare by value ("part2.nc" before
// "part10.nc"), ASCII letters without regard to case; names equal so are ordered bytewise,
// so that the order is total.
bool NaturalLess(std::string_view a, std::string_view b);

// True for the extensions router programs use: .nc, .ngc, .tap, .cnc, .gcode, .txt, case
// ignored.
bool IsProgramName(std::string_view name);

// The bytes as text to show: well-formed UTF-8 as it stands, every other byte and every
// control character as "\xNN" ("caf\xE9.nc").
std::string DisplayText(std::string_view bytes);

// What a path dropped on a list is.
enum class PathKind { kMissing, kDirectory, kOther };

// What a drop chooses: a folder, and the names of the dropped files in it.
struct DropChoice {
  std::string directory;
  std::vector<std::string> names;
};

// A drop of paths: one folder alone chooses it; where files are welcome, files of one folder
// choose that folder and select them. Anything else (nothing, a path that does not exist,
// several folders, a folder with files, files of several folders, files where only a folder
// is welcome) chooses nothing. A trailing "/" is ignored.
std::optional<DropChoice> ChooseDrop(std::vector<std::string> paths, bool filesWelcome,
                                     const std::function<PathKind(const std::string&)>& kindOf);

}  // namespace quarnel
