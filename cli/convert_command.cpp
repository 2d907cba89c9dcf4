#include "cli/convert_command.h"

#include <CLI/CLI.hpp>

#include "cli/report_json.h"
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
    "Every failure and every warning is one line on stderr: 'quarnel-convert: FILE: REASON'\n"
    "or 'quarnel-convert: FILE: line N: WARNING'. Warnings (a dimension that is not a plain\n"
    "number, a tool without a table row, an empty program...) never change an output.\n"
    "Exit status: 0 every file written (or checked, with --dry-run); 1 some file failed (the\n"
    "other files are still converted), or a warning with --strict; 2 usage error.";


void AddOptions(CLI::App& app, ConvertOptions& options) {
  app.add_option("--dest", options.destination, "Destination directory")->required()->type_name("DIR");
  app.add_option("--length", options.length, "Part length X, as typed in the window")->type_name("TEXT");
  app.add_option("--height", options.height, "Part height Y; above 60 means millimetres")->type_name("TEXT");
  app.add_option("--thickness", options.thickness, "Part thickness Z")->type_name("TEXT");
  app.add_option("--tools", options.toolsFile, "Tool substitution table file (ToolTbl.Dat format)")
      ->type_name("FILE");
  app.add_option("SOURCE", options.sources, "Router G-code files, converted in the order given")
      ->required();
  app.add_option("--report", options.reportFile,
                 "Write the report of every file and line as JSON to FILE (- for stdout)")
      ->type_name("FILE");
  app.add_flag("--dry-run", options.dryRun, "Convert and report, but write no output file");
  app.add_flag("-v,--verbose", options.verbose, "One summary line per file on stderr");
  app.add_flag("--strict", options.strict, "Count a warning as a failure (exit status 1)");
}

// "FILE: " and, where a line applies, "line N: ".
std::string WhereText(const std::string& file, int line, const char* lineWord = "line") {
  std::string where = file + ": ";
  if (line != 0) where += std::string(lineWord) + " " + std::to_string(line) + ": ";
  return where;
}

// "written: 120 source lines (100 translated, 20 dropped), 98 output lines, 1 warning"
std::string SummaryText(const FileReport& file) {
  const TranslationNotes& notes = file.notes;
  std::string text = StatusName(file.status);
  text += ": " + std::to_string(notes.sourceLines) + " source lines (" +
          std::to_string(notes.translated) + " translated, " + std::to_string(notes.Dropped()) +
          " dropped), " + std::to_string(file.bodyLines) + " output lines, " +
          std::to_string(file.warnings.size()) +
          (file.warnings.size() == 1 ? " warning" : " warnings");
  return text;
}

// The messages of a batch, in batch order: the tool table's warnings, then per file its summary
// (verbose), its failure and its warnings.
void PrintMessages(const BatchReport& report, const std::string& toolTableName, bool verbose,
                   std::ostream& err) {
  for (const ReportWarning& warning : report.toolTable) {
    err << kProgram << ": " << WhereText(toolTableName, warning.line, "row") << warning.text << "\n";
  }
  for (const FileReport& file : report.files) {
    if (verbose) err << kProgram << ": " << file.source << ": " << SummaryText(file) << "\n";
    if (file.status == FileReport::Status::kFailed) {
      err << kProgram << ": " << file.source << ": " << file.reason << "\n";
    }
    for (const ReportWarning& warning : file.warnings) {
      err << kProgram << ": " << WhereText(file.source, warning.line) << warning.text << "\n";
    }
  }
}

// Writes the JSON report to standard output or atomically to its file; false when it failed.
bool WriteReport(const BatchReport& report, const std::string& target, FileStore& files,
                 std::ostream& out, std::ostream& err) {
  const std::string json = ReportJsonText(report);
  if (target == "-") {
    out << json;
    return true;
  }
  if (auto error = files.WriteAtomically(target, json)) {
    err << kProgram << ": cannot write the report " << target << ": " << *error << "\n";
    return false;
  }
  return true;
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

int Convert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
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
  const BatchReport report =
      driver.ConvertBatch(options.sources, options.destination, dims, nullptr, options.dryRun);
  const std::string toolTableName =
      options.toolsFile.value_or(ToolTablePathFor(LocateAppDirForThisProcess()));
  PrintMessages(report, toolTableName, options.verbose, err);
  bool failed = report.AnyFailure() || (options.strict && report.AnyWarning());
  if (options.reportFile && !WriteReport(report, *options.reportFile, files, out, err)) {
    failed = true;
  }
  return failed ? kExitSomeFailed : kExitAllWritten;
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
  return Convert(options, out, err);
}

}  // namespace quarnel
