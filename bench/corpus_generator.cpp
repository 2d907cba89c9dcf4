// Writes a corpus of router programs for the benchmark:
//   corpus_generator --seed N --files F --lines L --out DIR
// gives DIR/part0001.nc to DIR/partFFFF.nc, each of exactly L lines. The same arguments give
// the same bytes on every machine.
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "bench/router_program.h"

namespace {

struct Options {
  std::uint64_t seed = 1;
  int files = 200;
  int lines = 30000;
  std::string out;
};

constexpr const char* kUsage = "usage: corpus_generator --seed N --files F --lines L --out DIR\n";

// Reads a whole decimal number; false when text is not one.
template <typename Number>
bool ParseWhole(std::string_view text, Number& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

bool ParseOptions(int argc, char** argv, Options& options) {
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string_view name = argv[i];
    const std::string_view value = argv[i + 1];
    bool ok = false;
    if (name == "--seed") ok = ParseWhole(value, options.seed);
    if (name == "--files") ok = ParseWhole(value, options.files) && options.files > 0;
    if (name == "--lines") ok = ParseWhole(value, options.lines) && options.lines > 0;
    if (name == "--out") ok = !(options.out = std::string(value)).empty();
    if (!ok) return false;
  }
  return argc % 2 == 1 && !options.out.empty();
}

// "part0001.nc" for index 1.
std::string FileName(int index) {
  char name[32];
  std::snprintf(name, sizeof name, "part%04d.nc", index);
  return name;
}

bool WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(file.flush());
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::cerr << kUsage;
    return 2;
  }
  std::error_code error;
  std::filesystem::create_directories(options.out, error);
  for (int index = 1; index <= options.files; ++index) {
    const std::uint64_t seed = quarnel::bench::FileSeed(options.seed, index);
    const std::string program = quarnel::bench::RouterProgramGenerator(seed, options.lines).Generate();
    const std::filesystem::path path = std::filesystem::path(options.out) / FileName(index);
    if (!WriteFile(path, program)) {
      std::cerr << "corpus_generator: cannot write " << path.string() << "\n";
      return 1;
    }
  }
  return 0;
}
