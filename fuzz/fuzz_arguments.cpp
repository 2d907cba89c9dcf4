// quarnel-convert's command line over a scratch tree on disk: files, links to files and folders,
// a hard link, folders, names that collide, earlier outputs, a report and tool tables. The input
// is a command line, one argument a line; a line that is no option and no path of the tree
// stands for the option or path its bytes pick. Whatever the combination, the run exits 0, 1
// or 2, and:
//   - exit 2 (refused): nothing in the tree changed;
//   - otherwise only the entries the run writes changed (each source's output in --dest, unless
//     a dry run, its preview in --preview, the --report file), and never a source, the --tools
//     file or the --verify pair, by path or through a link; no temporary is left.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "cli/convert_command.h"
#include "support/paths.h"
#include "tools/tool_table_file.h"

namespace {

namespace fs = std::filesystem;

const char* const kOptions[] = {"--dest",    "--report", "--preview", "--verify", "--tools",
                                "--dry-run", "-v",       "--strict",  "--jobs=2"};
const char* const kPaths[] = {"src/a.nc",
                              "src/b.nc",
                              "src/same.nc",
                              "other/same.nc",
                              "other/a.nc",
                              "src/dir",
                              "src/link.nc",
                              "src/hard.nc",
                              "out",
                              "out/",
                              "outlink",
                              "out/a.nc",
                              "out/b.nc.svg",
                              "out/srclink.nc",
                              "out/hard.nc",
                              "tools.dat",
                              "tools-bad.dat",
                              "report.json",
                              "-",
                              "missing.nc",
                              "missing/",
                              ".",
                              "src",
                              "./src/a.nc",
                              "src/../src/b.nc",
                              "out/new.json"};

constexpr const char* kProgram = "G0X10Y20\r\nG1X30Y40Z-5F2000\r\nG2X50Y60I10J0\r\n";

fs::path root;  // the tree's folder, without links

void Require(bool condition, const char* what) {
  if (!condition) {
    std::cerr << "fuzz_arguments: " << what << "\n";
    fs::remove_all(root);
    std::abort();
  }
}

std::string InTree(const std::string& relative) { return (root / relative).string(); }

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(InTree(path), std::ios::binary) << bytes;
}

// The tree every input starts from.
void MakeTree() {
  for (const char* folder : {"src", "src/dir", "other", "out"})
    fs::create_directory(InTree(folder));
  Write("src/a.nc", kProgram);
  Write("src/b.nc", std::string(kProgram) + "G0X0Y0\r\n");
  Write("src/same.nc", "G1X1\r\n");
  Write("other/same.nc", "G1X2\r\n");
  Write("other/a.nc", "G1X3\r\n");
  fs::create_symlink("a.nc", InTree("src/link.nc"));
  fs::create_hard_link(InTree("src/b.nc"), InTree("src/hard.nc"));
  Write("out/a.nc", "earlier output\r\n");
  Write("out/b.nc.svg", "<svg/>");
  fs::create_symlink("../src/b.nc", InTree("out/srclink.nc"));
  fs::create_hard_link(InTree("src/a.nc"), InTree("out/hard.nc"));
  fs::create_directory_symlink("out", InTree("outlink"));
  Write("tools.dat", quarnel::ToolTableText(quarnel::ToolTable()));
  Write("tools-bad.dat", "not a tool table\n");
  Write("report.json", "{\"earlier\": true}\n");
}

void ClearTree() {
  for (const auto& entry : fs::directory_iterator(root)) fs::remove_all(entry.path());
}

// Every entry of the tree by its path: its kind and bytes, or where it links.
using Snapshot = std::map<std::string, std::string>;

Snapshot Take() {
  Snapshot snapshot;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const std::string path = it->path().lexically_relative(root).string();
    if (it->is_symlink()) {
      snapshot[path] = "link " + fs::read_symlink(it->path()).string();
    } else if (it->is_directory()) {
      snapshot[path] = "folder";
    } else {
      std::ifstream in(it->path(), std::ios::binary);
      snapshot[path] = "file " + std::string(std::istreambuf_iterator<char>(in), {});
    }
  }
  return snapshot;
}

// The tree's path of a path resolved, or "" when it is outside the tree.
std::string Relative(const fs::path& resolved) {
  const fs::path relative = resolved.lexically_relative(root);
  return relative.empty() || *relative.begin() == ".." ? "" : relative.string();
}

// The tree's path of the entry at path once the links of its folder are resolved.
std::string EntryOf(const std::string& path) {
  std::error_code error;
  const std::string directory = quarnel::DirectoryOf(path);
  const fs::path folder = fs::weakly_canonical(directory.empty() ? "." : directory, error);
  return error ? "" : Relative(folder / quarnel::FileNameOf(path));
}

// The tree's path of the file path names once every link is resolved.
std::string FileOf(const std::string& path) {
  std::error_code error;
  const fs::path real = fs::canonical(path, error);
  return error ? "" : Relative(real);
}

// The arguments an input stands for: each line itself when it is an option or a path of the
// tree, else the one its bytes pick. Paths of the tree are made absolute.
std::vector<std::string> ArgumentsOf(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> words;
  for (const char* option : kOptions) words.push_back(option);
  for (const char* path : kPaths) words.push_back(path);
  std::vector<std::string> arguments;
  std::istringstream lines(std::string(reinterpret_cast<const char*>(data), size));
  for (std::string line; std::getline(lines, line) && arguments.size() < 16;) {
    bool known = false;
    for (const std::string& word : words) known = known || word == line;
    std::size_t pick = 0;
    for (const char byte : line) pick = pick * 31 + static_cast<unsigned char>(byte);
    const std::string& word = known ? line : words[pick % words.size()];
    arguments.push_back(word[0] == '-' ? word : InTree(word));
  }
  return arguments;
}

struct Run {
  std::vector<std::string> sources;
  std::string dest, report, preview, verify, tools;
  bool dryRun = false;
};

// What the command line names, read as the command reads it (the last of a repeated option).
Run Read(const std::vector<std::string>& arguments) {
  Run run;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    const std::string next = i + 1 < arguments.size() ? arguments[i + 1] : "";
    std::string* value = word == "--dest"      ? &run.dest
                         : word == "--report"  ? &run.report
                         : word == "--preview" ? &run.preview
                         : word == "--verify"  ? &run.verify
                         : word == "--tools"   ? &run.tools
                                               : nullptr;
    if (value != nullptr) {
      *value = next;
      ++i;
    } else if (word == "--dry-run") {
      run.dryRun = true;
    } else if (word[0] != '-' || word == "-") {
      run.sources.push_back(word);
    }
  }
  return run;
}

// The entries the run may replace, and the files it must never change.
void Expectations(const Run& run, std::set<std::string>& writable, std::set<std::string>& kept) {
  for (const std::string& source : run.sources) {
    if (!run.dest.empty() && !run.dryRun)
      writable.insert(EntryOf(run.dest + "/" + quarnel::FileNameOf(source)));
    // A conversion's preview is named after its output, which takes the source's name; a
    // verified pair's after the verified output.
    const std::string& pictured = run.verify.empty() ? source : run.verify;
    if (!run.preview.empty())
      writable.insert(EntryOf(run.preview + "/" + quarnel::FileNameOf(pictured) + ".svg"));
    kept.insert(FileOf(source));
  }
  if (!run.report.empty() && run.report != "-") writable.insert(EntryOf(run.report));
  kept.insert(FileOf(run.tools));
  kept.insert(FileOf(run.verify));
  kept.erase("");
}

int Convert(std::vector<std::string> arguments) {
  arguments.insert(arguments.begin(),
                   {"quarnel-convert", "--length", "600", "--height", "400", "--thickness", "18"});
  std::vector<const char*> argv;
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  std::ostringstream out, err;
  return quarnel::RunConvertCommand(static_cast<int>(argv.size()), argv.data(), out, err);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* shm = "/dev/shm";
  const fs::path base = fs::is_directory(shm) ? fs::path(shm) : fs::temp_directory_path();
  root = base / ("quarnel-fuzz-arguments-" + std::to_string(::getpid()));
  fs::create_directories(root);
  root = fs::canonical(root);
  std::atexit([] { fs::remove_all(root); });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // A relative path (an option's value that CLI11 takes for a file) lands in the tree, and
  // libFuzzer's own relative paths still work after the input.
  const fs::path workingDirectory = fs::current_path();
  fs::current_path(root);
  ClearTree();
  MakeTree();
  const std::vector<std::string> arguments = ArgumentsOf(data, size);
  const Run run = Read(arguments);
  std::set<std::string> writable, kept;
  Expectations(run, writable, kept);
  const Snapshot before = Take();
  const int status = Convert(arguments);
  const Snapshot after = Take();
  Require(status == 0 || status == 1 || status == 2, "an exit status other than 0, 1 or 2");
  std::set<std::string> changed;
  for (const auto& [path, content] : before) {
    const auto now = after.find(path);
    if (now == after.end() || now->second != content) changed.insert(path);
  }
  for (const auto& [path, content] : after) {
    if (before.count(path) == 0) changed.insert(path);
  }
  for (const std::string& path : changed) {
    if (status == 2) std::cerr << "fuzz_arguments: refused, yet changed " << path << "\n";
    if (kept.count(path) != 0)
      std::cerr << "fuzz_arguments: changed the file it reads, " << path << "\n";
    if (writable.count(path) == 0)
      std::cerr << "fuzz_arguments: changed " << path << ", which it does not write\n";
    Require(status != 2 && kept.count(path) == 0 && writable.count(path) != 0,
            "a file changed that must not");
  }
  fs::current_path(workingDirectory);
  return 0;
}
