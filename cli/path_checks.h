// The checks quarnel-convert makes before it reads or writes anything: no file it writes beside
// the outputs (the report, the previews) may be a file the run reads or writes otherwise, and
// every folder it writes in must be there and writable.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quarnel {

// A path of the run and what it is to the user, path included: "the source parts/a.nc".
struct RunPath {
  std::string path;
  std::string what;
};

struct RunPaths {
  std::vector<RunPath> kept;     // read or written otherwise: sources, outputs, the verified
                                 // pair, the tool table and settings files read
  std::vector<RunPath> written;  // written beside the outputs: the report, the previews
};

// The first written path that is (after links, hard links included) a kept path or another
// written path, as a sentence; nullopt when there is none. A path where nothing stands yet is
// compared by its directory and its name.
std::optional<std::string> OverlapProblem(const RunPaths& paths);

// The first output that is (after links, hard links included) another source of the run, which
// the batch would replace, as a sentence; nullopt when there is none. outputs[i] is the output of
// sources[i]; an output that is its own source is left to the batch, which fails that file alone.
std::optional<std::string> OutputOverSourceProblem(const std::vector<std::string>& sources,
                                                   const std::vector<std::string>& outputs);

// Why the run cannot write in directory, role saying what it is ("the destination"): "cannot
// write in the destination out: No such file or directory"; nullopt when it can.
std::optional<std::string> FolderProblem(const std::string& directory, const std::string& role);

}  // namespace quarnel
