#include "support/source_selection.h"

#include "support/paths.h"

namespace quarnel {

std::string PathInList(const std::string& directory, const std::string& name) {
  const bool root = !directory.empty() && directory.back() == kPathSeparator;
  return root ? directory + name : directory + kPathSeparator + name;
}

std::vector<std::string> SelectedSourcePaths(const SourceSelection& selection) {
  std::vector<std::string> paths;
  for (std::size_t i = 0; i < selection.names.size(); ++i) {
    if (i < selection.selected.size() && selection.selected[i]) {
      paths.push_back(PathInList(selection.directory, selection.names[i]));
    }
  }
  return paths;
}

}  // namespace quarnel
