// The source file list as the window shows it, and the paths of its selected entries.
#pragma once

#include <string>
#include <vector>

namespace quarnel {

// The source file list as the window shows it: its directory and entries in display order.
struct SourceSelection {
  std::string directory;
  std::vector<std::string> names;
  std::vector<bool> selected;  // same length as names
};

// The path of a file of a listed directory: the directory, "/" unless it already ends in one
// (a root), and the name.
std::string PathInList(const std::string& directory, const std::string& name);
// Full paths of the selected entries, in list order.
std::vector<std::string> SelectedSourcePaths(const SourceSelection& selection);

}  // namespace quarnel
