#include "cli/convert_command.h"

#include <CLI/CLI.hpp>

#include "cli/batch_output.h"
#include "engine/batch/conversion_batch.h"
#include "support/app_dir.h"
#include "support/file_store.h"
#include "support/setting_keys.h"
#include "support/settings_store.h"
#include "support/text.h"
#include "tools/tool_table_file.h"

namespace quarnel {

namespace {

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
  app.add_option("--dest", options.destination, "Destination directory (not with --verify)")
      ->type_name("DIR");
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
  app.add_option("--preview", options.previewDir,
                 "Write DIR/NAME.svg for each converted file: both toolpaths over the part and "
                 "the verdict of their comparison")
      ->type_name("DIR");
  app.add_option("--jobs", options.jobs,
                 "Files translated at once (default: one a processor core); the outputs, "
                 "messages and exit status are those of one at a time")
      ->type_name("N");
  app.add_option("--verify", options.verifyOutput,
                 "Compare an existing OUTPUT program with its one SOURCE, without converting: "
                 "every move, feed and tool, with --tools and the dimensions as a conversion "
                 "takes them, and the output's header, counts and line ends; exit 0 when they "
                 "match, 1 with the differences; -v lists every note")
      ->type_name("OUTPUT");
}

// What makes the command line unusable, once the dimension texts are filled.
std::optional<std::string> UsageProblem(const ConvertOptions& options, const DimensionTexts& dims) {
  for (const std::string* text : {&dims.length, &dims.height, &dims.thickness}) {
    if (HasLineBreak(*text)) return "a dimension text must not hold a line break";
  }
  if (options.destination.empty()) return "--dest must name a directory";
  if (options.previewDir && options.previewDir->empty()) return "--preview must name a directory";
  return std::nullopt;
}

// --verify compares one source with an existing output; it converts nothing.
std::optional<std::string> VerifyUsageProblem(const ConvertOptions& options) {
  if (options.sources.size() != 1) return "--verify compares one SOURCE with its OUTPUT";
  if (!options.destination.empty() || options.previewDir || options.dryRun) {
    return "--verify converts nothing: leave out --dest, --preview and --dry-run";
  }
  return std::nullopt;
}

// Reads a whole program for --verify; the reason when it cannot.
std::optional<std::string> ReadProgram(FileStore& files, const std::string& path,
                                       std::string& text) {
  ReadOutcome read = files.ReadRegularFile(path);
  if (!read.ok) return "cannot read " + path + ": " + read.error;
  text = std::move(read.bytes);
  return std::nullopt;
}

// Applies the options given over the defaults.
void ApplyDimensionOptions(const ConvertOptions& options, DimensionTexts& dims) {
  if (options.length) dims.length = *options.length;
  if (options.height) dims.height = *options.height;
  if (options.thickness) dims.thickness = *options.thickness;
}

// Notes shown by --verify without -v; -v shows every one.
constexpr std::size_t kNotesShown = 10;

void PrintNotes(const std::vector<std::string>& notes, bool verbose, std::ostream& out) {
  const std::size_t shown = verbose ? notes.size() : std::min(notes.size(), kNotesShown);
  for (std::size_t k = 0; k < shown; ++k) out << "note: " << notes[k] << "\n";
  if (shown < notes.size()) {
    out << "and " << notes.size() - shown << " more notes (-v lists every note)\n";
  }
}

// The dimension texts and tool table a conversion with these options would use; the exit
// status when the tool table given cannot be used.
std::optional<int> LoadConversionInputs(const ConvertOptions& options, FileStore& files,
                                        DimensionTexts& dims, ToolTable& tools,
                                        std::ostream& err) {
  if (auto warning = FillDefaultsFromAppDir(options, dims, tools)) {
    err << kConvertProgram << ": warning: " << *warning << "\n";
  }
  ApplyDimensionOptions(options, dims);
  if (!options.toolsFile) return std::nullopt;
  const ToolTableLoad load = LoadToolTable(files, *options.toolsFile, tools);
  if (load.Loaded()) return std::nullopt;
  err << kConvertProgram << ": cannot use the tool table " << *options.toolsFile << ": "
      << (load.problem.empty() ? "there is no such file" : load.problem) << "\n";
  return kExitUsage;
}

int Verify(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
  if (auto problem = VerifyUsageProblem(options)) {
    err << kConvertProgram << ": " << *problem << "\n";
    return kExitUsage;
  }
  DiskFileStore files;
  DimensionTexts given;
  ToolTable tools;
  if (auto status = LoadConversionInputs(options, files, given, tools, err)) return *status;
  FileReport report;
  report.source = options.sources.front();
  report.output = *options.verifyOutput;
  report.status = FileReport::Status::kChecked;
  std::string source, output;
  for (auto [path, text] : {std::pair{&report.source, &source}, {&report.output, &output}}) {
    if (auto problem = ReadProgram(files, *path, *text)) {
      err << kConvertProgram << ": " << *problem << "\n";
      return kExitUsage;
    }
  }
  const ProgramGeometry geometry = VerifyProgram(source, output, tools, given);
  report.geometry = GeometryReportOf(geometry);
  out << VerdictText(geometry.check) << "\n";
  PrintNotes(geometry.check.notes, options.verbose, out);
  for (const Difference& difference : geometry.check.differences) {
    err << kConvertProgram << ": " << DifferenceText(difference) << "\n";
  }
  bool failed = !geometry.check.Identical();
  if (options.reportFile) {
    BatchReport batch;
    batch.files.push_back(std::move(report));
    failed = !WriteReport(batch, *options.reportFile, files, out, err) || failed;
  }
  return failed ? kExitSomeFailed : kExitAllWritten;
}

int Convert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
  DiskFileStore files;
  DimensionTexts dims;
  ToolTable tools;
  if (auto status = LoadConversionInputs(options, files, dims, tools, err)) return *status;
  if (auto problem = UsageProblem(options, dims)) {
    err << kConvertProgram << ": " << *problem << "\n";
    return kExitUsage;
  }
  bool previewsWritten = true;
  BatchOptions batch;
  batch.jobs = options.jobs;
  batch.dryRun = options.dryRun;
  batch.checkGeometry = options.reportFile || options.previewDir;
  if (options.previewDir) {
    batch.converted = [&](const FileReport& report, const ProgramGeometry& geometry) {
      previewsWritten = WritePreview(report, geometry, *options.previewDir, files, err) &&
                        previewsWritten;
    };
  }
  ConversionDriver driver(files, tools);
  const BatchReport report =
      driver.ConvertBatch(options.sources, options.destination, dims, nullptr, batch);
  const std::string toolTableName =
      options.toolsFile.value_or(ToolTablePathFor(LocateAppDirForThisProcess()));
  PrintMessages(report, toolTableName, options.verbose, err);
  bool failed = report.AnyFailure() || (options.strict && report.AnyWarning()) || !previewsWritten;
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
  CLI::App app(kDescription, kConvertProgram);
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
    err << kConvertProgram << ": " << error.what() << "\n" << "Run with --help for usage.\n";
    return kExitUsage;
  }
  if (options.verifyOutput) return Verify(options, out, err);
  return Convert(options, out, err);
}

}  // namespace quarnel
