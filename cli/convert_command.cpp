#include "cli/convert_command.h"

#include <CLI/CLI.hpp>

#include "engine/conversion_batch.h"
#include "support/app_dir.h"
#include "support/file_store.h"
#include "support/setting_keys.h"
#include "support/text.h"
#include "support/settings_store.h"
#include "tools/tool_table_file.h"

namespace quarnel {

namespace {

constexpr const char* kProgram = "quarnel-convert";
constexpr const char* kVersionLine = "quarnel-convert " QUARNEL_VERSION;

constexpr const char* kDescription =
    "Converts router G-code files into machining centre G-code, as one batch.\n"
    "Each output goes to DIR/<file name of SOURCE>, written atomically: a file that fails leaves\n"
    "any previous output of that name as it was. Each file is translated from the start state,\n"
    "so it converts the same alone or in any batch; only the part dimensions carry: a G200\n"
    "line rewrites them for the rest of the batch.\n"
    "A height above 60 means millimetres (G71), otherwise inches (G70).";

constexpr const char* kFooter =
    "Left-out dimensions are read from section [Settings] (X-Dimension, Y-Dimension,\n"
    "Z-Dimension) of Quarnel.INI, and a left-out --tools from ToolTbl.Dat, both in the\n"
    "program's directory.\n"
    "Exit status: 0 every file written; 1 some file failed (one line per failure on stderr,\n"
    "the other files are still converted); 2 usage error.";


void AddOptions(CLI::App& app, ConvertOptions& options) {
  app.add_option("--dest", options.destination, "Destination directory")->required()->type_name("DIR");
  app.add_option("--length", options.length, "Part length X, as typed in the window")->type_name("TEXT");
  app.add_option("--height", options.height, "Part height Y; above 60 means millimetres")->type_name("TEXT");
  app.add_option("--thickness", options.thickness, "Part thickness Z")->type_name("TEXT");
  app.add_option("--tools", options.toolsFile, "Tool substitution table file (ToolTbl.Dat format)")
      ->type_name("FILE");
  app.add_option("SOURCE", options.sources, "Router G-code files, converted in the order given")
      ->required();
}

// What makes the command line unusable, once the dimension texts are filled.
std::optional<std::string> UsageProblem(const ConvertOptions& options, const DimensionTexts& dims) {
  for (const std::string* text : {&dims.length, &dims.height, &dims.thickness}) {
    if (HasLineBreak(*text)) return "a dimension text must not hold a line break";
  }
  if (options.destination.empty()) return "--dest must name a directory";
  return std::nullopt;
}

// Applies the options given over the defaults.
void ApplyDimensionOptions(const ConvertOptions& options, DimensionTexts& dims) {
  if (options.length) dims.length = *options.length;
  if (options.height) dims.height = *options.height;
  if (options.thickness) dims.thickness = *options.thickness;
}

int Convert(const ConvertOptions& options, std::ostream& err) {
  DiskFileStore files;
  DimensionTexts dims;
  ToolTable tools;
  if (auto warning = FillDefaultsFromAppDir(options, dims, tools)) {
    err << kProgram << ": warning: " << *warning << "\n";
  }
  ApplyDimensionOptions(options, dims);
  if (options.toolsFile) {
    const ToolTableLoad load = LoadToolTable(files, *options.toolsFile, tools);
    if (!load.Loaded()) {
      err << kProgram << ": cannot use the tool table " << *options.toolsFile << ": "
          << (load.problem.empty() ? "there is no such file" : load.problem) << "\n";
      return kExitUsage;
    }
  }
  if (auto problem = UsageProblem(options, dims)) {
    err << kProgram << ": " << *problem << "\n";
    return kExitUsage;
  }
  ConversionDriver driver(files, tools);
  const std::vector<FileFailure> failures =
      driver.ConvertBatch(options.sources, options.destination, dims);
  for (const FileFailure& failure : failures) {
    err << kProgram << ": " << failure.file << ": " << failure.reason << "\n";
  }
  return failures.empty() ? kExitAllWritten : kExitSomeFailed;
}

}  // namespace

// A left-out dimension is read from section "Settings" of the settings file, a left-out --tools
// from the tool table file (missing or unusable: the table stays empty). The program's directory
// is only looked up, never created: the command line writes no settings.
std::optional<std::string> FillDefaultsFromAppDir(const ConvertOptions& options,
                                                  DimensionTexts& dims, ToolTable& tools) {
  const bool allGiven = options.length && options.height && options.thickness && options.toolsFile;
  if (allGiven) return std::nullopt;
  const std::string appDir = LocateAppDirForThisProcess();
  DiskFileStore files;
  const IniStore settings(files, IniPathFor(appDir));
  if (!options.length) dims.length = settings.IniRead(setting::kSettings, setting::kLength);
  if (!options.height) dims.height = settings.IniRead(setting::kSettings, setting::kHeight);
  if (!options.thickness) dims.thickness = settings.IniRead(setting::kSettings, setting::kThickness);
  if (options.toolsFile) return std::nullopt;
  const std::string path = ToolTablePathFor(appDir);
  const ToolTableLoad load = LoadToolTable(files, path, tools);
  if (load.outcome != ToolTableLoad::Outcome::kUnusable) return std::nullopt;
  return "the tool table " + path + " cannot be used (" + load.problem +
         "); converting with an empty table";
}

int RunConvertCommand(int argc, const char* const* argv, std::ostream& out, std::ostream& err) {
  CLI::App app(kDescription, kProgram);
  app.footer(kFooter);
  app.set_version_flag("--version", kVersionLine);
  ConvertOptions options;
  AddOptions(app, options);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    out << app.help();
    return kExitAllWritten;
  } catch (const CLI::CallForVersion& version) {
    out << version.what() << "\n";
    return kExitAllWritten;
  } catch (const CLI::ParseError& error) {
    err << kProgram << ": " << error.what() << "\n" << "Run with --help for usage.\n";
    return kExitUsage;
  }
  return Convert(options, err);
}

}  // namespace quarnel
