#include "cli/convert_command.h"

#include <CLI/CLI.hpp>

#include "cli/batch_output.h"
#include "cli/path_checks.h"
#include "cli/report_json.h"
#include "engine/batch/conversion_batch.h"
#include "engine/geometry/output_form.h"
#include "engine/translate/program_header.h"
#include "engine/translate/translator.h"
#include "support/app_dir.h"
#include "support/file_store.h"
#include "support/number.h"
#include "support/paths.h"
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
    "Before anything is read or written, the destination, the report's folder and the preview\n"
    "folder must be writable folders, and no report or preview may be (after links) a file the\n"
    "run reads or writes otherwise.\n"
    "The estimated machining time (-v, --report, --preview) takes the rapid rate and the tool\n"
    "change time from the options, else from section [MachiningTime] (RapidRate, ToolChangeTime)\n"
    "of Quarnel.INI, else 20000 mm/min and 10 s.\n"
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
  app.add_flag("--dry-run", options.dryRun,
               "Convert and report, but write no output file; a file whose output the real run "
               "could not write fails as it would");
  app.add_flag("-v,--verbose", options.verbose, "One summary line per file on stderr");
  app.add_flag("--strict", options.strict, "Count a warning as a failure (exit status 1)");
  app.add_option("--preview", options.previewDir,
                 "Write DIR/NAME.svg for each converted file: both toolpaths over the part and "
                 "the verdict of their comparison")
      ->type_name("DIR");
  app.add_option("--jobs", options.jobs,
                 "Files translated at once; 0, or left out, for one a processor core. The "
                 "outputs, messages and exit status are those of one at a time")
      ->type_name("N");
  app.add_option("--verify", options.verifyOutput,
                 "Compare an existing OUTPUT program with its one SOURCE, without converting: "
                 "every move, feed and tool, with --tools and the dimensions as a conversion "
                 "takes them, and the output's header, counts and line ends; exit 0 when they "
                 "match, 1 with the differences; -v lists every note; with --preview, draws "
                 "the pair")
      ->type_name("OUTPUT");
  app.add_option("--rapid-rate", options.rapidRate,
                 "The machine's rapid rate for the estimated machining time, in mm/min "
                 "(above 0, at most 1000000; default 20000)")
      ->type_name("MM_PER_MIN");
  app.add_option("--tool-change-time", options.toolChangeTime,
                 "The time of one tool change for the estimated machining time, in seconds "
                 "(0 to 3600; default 10)")
      ->type_name("SECONDS");
}

// The run estimates machining times when it shows or writes them.
bool EstimatesTime(const ConvertOptions& options) {
  return options.verbose || options.reportFile || options.previewDir;
}

bool ReadsTimeSettings(const ConvertOptions& options) {
  return EstimatesTime(options) && (!options.rapidRate || !options.toolChangeTime);
}

// The time options given over settings; the usage problem of one that is not accepted.
std::optional<std::string> ApplyTimeOptions(const ConvertOptions& options,
                                            MachiningTimeSettings& settings) {
  if (options.rapidRate) {
    const std::optional<double> rate = RapidRateFromText(*options.rapidRate);
    if (!rate) return "--rapid-rate must be a plain number of mm/min above 0 and at most 1000000";
    settings.rapidRate = *rate;
  }
  if (options.toolChangeTime) {
    const std::optional<double> seconds = ToolChangeSecondsFromText(*options.toolChangeTime);
    if (!seconds) return "--tool-change-time must be a plain number of seconds from 0 to 3600";
    settings.toolChangeSeconds = *seconds;
  }
  return std::nullopt;
}

// The time settings of a run that estimates times, none for another; the usage problem of a
// bad option either way.
std::optional<std::string> RunTimeSettings(const ConvertOptions& options,
                                           std::optional<MachiningTimeSettings>& settings) {
  MachiningTimeSettings chosen;
  if (!EstimatesTime(options)) return ApplyTimeOptions(options, chosen);
  if (auto problem = TimeSettingsOf(options, chosen)) return problem;
  settings = chosen;
  return std::nullopt;
}

int UsageError(std::ostream& err, const std::string& problem) {
  Say(err, problem);
  return kExitUsage;
}

// What makes the conversion's options unusable, before anything is read.
std::optional<std::string> OptionProblem(const ConvertOptions& options) {
  if (options.destination.empty()) return "--dest must name a directory";
  if (options.previewDir && options.previewDir->empty()) return "--preview must name a directory";
  return std::nullopt;
}

// A dimension text, once filled from the options or the settings, that would split the header.
std::optional<std::string> DimensionProblem(const DimensionTexts& dims) {
  for (const std::string* text : {&dims.length, &dims.height, &dims.thickness}) {
    if (HasLineBreak(*text)) return "a dimension text must not hold a line break";
  }
  return std::nullopt;
}

bool LeavesOutADimension(const ConvertOptions& options) {
  return !options.length || !options.height || !options.thickness;
}

std::string ToolTablePathOf(const ConvertOptions& options, const std::string& appDir) {
  return options.toolsFile.value_or(ToolTablePathFor(appDir));
}

void AddReportPath(const ConvertOptions& options, RunPaths& paths) {
  if (options.reportFile && *options.reportFile != "-") {
    paths.written.push_back({*options.reportFile, "the report " + *options.reportFile});
  }
}

// The tool table and the settings file a run reads.
void AddInputPaths(const ConvertOptions& options, const std::string& appDir, RunPaths& paths) {
  const std::string table = ToolTablePathOf(options, appDir);
  paths.kept.push_back({table, "the tool table " + table});
  if (LeavesOutADimension(options) || ReadsTimeSettings(options)) {
    paths.kept.push_back({IniPathFor(appDir), "the settings file " + IniPathFor(appDir)});
  }
}

// Every file a conversion reads or writes, and those it writes beside the outputs.
RunPaths ConversionPaths(const ConvertOptions& options, const std::string& appDir) {
  RunPaths paths;
  for (const std::string& source : options.sources) {
    const std::string output = OutputPathFor(options.destination, source);
    paths.kept.push_back({source, "the source " + source});
    paths.kept.push_back({output, "the output " + output});
  }
  AddInputPaths(options, appDir, paths);
  AddReportPath(options, paths);
  for (const std::string& source : options.sources) {
    if (!options.previewDir) break;
    const std::string preview = PreviewPathFor(*options.previewDir, source);
    paths.written.push_back({preview, "the preview " + preview + " of " + source});
  }
  return paths;
}

// The folders a run writes in that are missing, not folders, or not writable.
std::optional<std::string> FoldersProblem(const ConvertOptions& options) {
  if (!options.destination.empty()) {
    if (auto problem = FolderProblem(options.destination, "the destination")) return problem;
  }
  if (options.reportFile && *options.reportFile != "-") {
    const std::string folder = DirectoryOf(*options.reportFile);
    if (auto problem = FolderProblem(folder, "the report's folder")) return problem;
  }
  if (options.previewDir) return FolderProblem(*options.previewDir, "the preview folder");
  return std::nullopt;
}

// Opens the report of the run, when one was asked for; the usage problem when it cannot be made.
std::optional<std::string> OpenReport(const ConvertOptions& options, std::ostream& out,
                                      std::optional<JsonReportWriter>& report) {
  if (!options.reportFile) return std::nullopt;
  report.emplace(*options.reportFile, out);
  if (auto error = report->Open()) {
    return "cannot write the report " + *options.reportFile + ": " + *error;
  }
  return std::nullopt;
}

// Puts the report in place; false when it failed (and says so).
bool FinishReport(const ConvertOptions& options, std::optional<JsonReportWriter>& report,
                  const ToolTableReport& toolTable, std::ostream& err) {
  if (!report) return true;
  if (auto error = report->Finish(toolTable)) {
    Say(err, "cannot write the report " + *options.reportFile + ": " + *error);
    return false;
  }
  return true;
}

// Reads a whole program for --verify; the reason when it cannot.
std::optional<std::string> ReadProgram(FileStore& files, const std::string& path,
                                       std::string& text) {
  ReadOutcome read = files.ReadRegularFile(path);
  if (!read.ok) return "cannot read " + path + ": " + read.error;
  text = std::move(read.bytes);
  return std::nullopt;
}

// --verify compares one source with an existing output; it converts nothing.
std::optional<std::string> VerifyUsageProblem(const ConvertOptions& options,
                                              const std::string& appDir) {
  if (options.sources.size() != 1) return "--verify compares one SOURCE with its OUTPUT";
  if (!options.destination.empty() || options.dryRun) {
    return "--verify converts nothing: leave out --dest and --dry-run";
  }
  RunPaths paths;
  paths.kept.push_back({options.sources.front(), "the source " + options.sources.front()});
  paths.kept.push_back({*options.verifyOutput, "the verified output " + *options.verifyOutput});
  AddInputPaths(options, appDir, paths);
  AddReportPath(options, paths);
  if (options.previewDir) {
    const std::string preview = PreviewPathFor(*options.previewDir, *options.verifyOutput);
    paths.written.push_back({preview, "the preview " + preview});
  }
  if (auto problem = OverlapProblem(paths)) return problem;
  return FoldersProblem(options);
}

// The report of a verified pair: the source's lines as the translator takes them with the tool
// table, the output's body lines, the units and dimensions of its header, and the comparison.
FileReport VerifiedReport(const ConvertOptions& options, std::string_view source,
                          std::string_view output, const ToolTable& tools,
                          const ProgramGeometry& geometry) {
  FileReport report;
  report.source = options.sources.front();
  report.output = *options.verifyOutput;
  report.status = FileReport::Status::kChecked;
  Translator translator(tools);
  ProgramBody body;
  TranslateSource(source, translator, body);
  report.notes = std::move(translator.Notes());
  report.bodyLines = OutputBodyLines(output);
  const PartHeader& header = geometry.output.header;
  if (header.present) {
    report.units = header.inches ? kInchUnits.code : kMillimetreUnits.code;
    report.dimensions = {FloatAsText(static_cast<float>(header.length)),
                         FloatAsText(static_cast<float>(header.height)),
                         FloatAsText(static_cast<float>(header.thickness))};
    report.dimensionsFrom = "the header of " + report.output;
  }
  report.geometry = GeometryReportOf(geometry);
  return report;
}


// Applies the options given over the defaults.
void ApplyDimensionOptions(const ConvertOptions& options, DimensionTexts& dims) {
  if (options.length) dims.length = *options.length;
  if (options.height) dims.height = *options.height;
  if (options.thickness) dims.thickness = *options.thickness;
}

// What a run converts or verifies with: the dimension texts, the tool table and what was
// found wrong with the table.
struct RunInputs {
  DimensionTexts dims;
  ToolTable tools;
  ToolTableReport toolTable;
};

// Fills the dimension texts and the tool table from the settings and the options; the usage
// problem when they cannot be used. toolTable.file is set when the program directory's tool
// table could not be used.
std::optional<std::string> LoadInputs(const ConvertOptions& options, FileStore& files,
                                      RunInputs& inputs, std::ostream& err) {
  auto& [dims, tools, toolTable] = inputs;
  toolTable.file = FillDefaultsFromAppDir(options, dims, tools);
  if (toolTable.file) {
    Say(err, "warning: the tool table " + toolTable.file->file + " " + toolTable.file->text);
  }
  ApplyDimensionOptions(options, dims);
  if (options.toolsFile) {
    const ToolTableLoad load = LoadToolTable(files, *options.toolsFile, tools);
    if (!load.Loaded()) {
      return "cannot use the tool table " + *options.toolsFile + ": " +
             (load.problem.empty() ? "there is no such file" : load.problem);
    }
  }
  toolTable.rows = ToolTableWarnings(tools);
  return DimensionProblem(dims);
}

std::vector<std::string> OutputsOf(const ConvertOptions& options) {
  std::vector<std::string> outputs;
  for (const std::string& source : options.sources) {
    outputs.push_back(OutputPathFor(options.destination, source));
  }
  return outputs;
}

// The files a run writes: each output (none in a dry run), each preview, the report.
std::vector<std::string> FilesWritten(const ConvertOptions& options) {
  std::vector<std::string> paths;
  for (const std::string& source : options.sources) {
    if (!options.dryRun) paths.push_back(OutputPathFor(options.destination, source));
    if (options.previewDir) paths.push_back(PreviewPathFor(*options.previewDir, source));
  }
  if (options.reportFile && *options.reportFile != "-") paths.push_back(*options.reportFile);
  return paths;
}

// Removes the temporaries of these files that a run killed while writing them left behind;
// before the report is opened, whose write holds its folder.
void RemoveLeftovers(FileStore& files, const ConvertOptions& options, std::ostream& err) {
  for (const std::string& path : files.RemoveLeftoverTemporaries(FilesWritten(options))) {
    if (options.verbose) Say(err, "removed " + path + ", left by a run that was stopped");
  }
}

// Notes shown by --verify without -v; -v shows every one.
constexpr std::size_t kNotesShown = 10;

// The verdict and the notes: on standard output, or on stderr when the report goes there.
void PrintVerdict(const ConvertOptions& options, const GeometryCheck& check, std::ostream& out,
                  std::ostream& err) {
  const auto print = [&](const std::string& line) {
    if (options.reportFile == "-") {
      Say(err, line);  // standard output holds the report alone
    } else {
      out << line << "\n";
    }
  };
  print(VerdictText(check));
  const std::size_t shown = options.verbose ? check.notes.size()
                                            : std::min(check.notes.size(), kNotesShown);
  for (std::size_t k = 0; k < shown; ++k) print("note: " + check.notes[k]);
  if (shown < check.notes.size()) {
    print("and " + std::to_string(check.notes.size() - shown) +
          " more notes (-v lists every note)");
  }
}

// Compares the output with its source with the tool table and dimensions a conversion with
// these options takes.
int Verify(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
  std::optional<MachiningTimeSettings> timeSettings;
  if (auto problem = RunTimeSettings(options, timeSettings)) return UsageError(err, *problem);
  const std::string appDir = LocateAppDirForThisProcess();
  if (auto problem = VerifyUsageProblem(options, appDir)) return UsageError(err, *problem);
  DiskFileStore files;
  RunInputs inputs;
  if (auto problem = LoadInputs(options, files, inputs, err)) return UsageError(err, *problem);
  auto& [dims, tools, toolTable] = inputs;
  std::optional<JsonReportWriter> report;
  if (auto problem = OpenReport(options, out, report)) return UsageError(err, *problem);
  std::string source, output;
  for (auto [path, text] : {std::pair{&options.sources.front(), &source},
                            {&*options.verifyOutput, &output}}) {
    if (auto problem = ReadProgram(files, *path, *text)) return UsageError(err, *problem);
  }
  const ProgramGeometry geometry = VerifyProgram(source, output, tools, dims);
  PrintVerdict(options, geometry.check, out, err);
  for (const Difference& difference : geometry.check.differences) {
    Say(err, DifferenceText(difference));
  }
  bool failed = !geometry.check.Identical();
  FileReport verified = VerifiedReport(options, source, output, tools, geometry);
  if (timeSettings) verified.time = EstimateMachiningTime(geometry.output, *timeSettings);
  if (options.verbose) {
    Say(err, verified.output + ": estimated machining time " + MachiningTimeText(*verified.time));
  }
  if (options.previewDir) {
    const std::string svg = PreviewSvg(verified.source, verified.output, geometry, verified.time);
    failed = !WritePreview(verified, svg, *options.previewDir, files, err) || failed;
  }
  if (report) {
    report->Add(verified);
    failed = !FinishReport(options, report, toolTable, err) || failed;
  }
  return failed ? kExitSomeFailed : kExitAllWritten;
}

// What the finished files of a batch come to, for the exit status.
struct Outcome {
  bool anyFailure = false;
  bool anyWarning = false;
  bool previewsWritten = true;

  bool Failed(bool strict) const {
    return anyFailure || !previewsWritten || (strict && anyWarning);
  }
};

int Convert(const ConvertOptions& options, std::ostream& out, std::ostream& err) {
  if (auto problem = OptionProblem(options)) return UsageError(err, *problem);
  std::optional<MachiningTimeSettings> timeSettings;
  if (auto problem = RunTimeSettings(options, timeSettings)) return UsageError(err, *problem);
  const std::string appDir = LocateAppDirForThisProcess();
  if (auto problem = OverlapProblem(ConversionPaths(options, appDir))) {
    return UsageError(err, *problem);
  }
  if (auto problem = FoldersProblem(options)) return UsageError(err, *problem);
  if (auto problem = OutputOverSourceProblem(options.sources, OutputsOf(options))) {
    return UsageError(err, *problem);
  }
  DiskFileStore files;
  RunInputs inputs;
  if (auto problem = LoadInputs(options, files, inputs, err)) return UsageError(err, *problem);
  auto& [dims, tools, toolTable] = inputs;
  RemoveLeftovers(files, options, err);
  std::optional<JsonReportWriter> report;
  if (auto problem = OpenReport(options, out, report)) return UsageError(err, *problem);
  PrintToolTableWarnings(toolTable.rows, ToolTablePathOf(options, appDir), err);
  Outcome outcome;
  outcome.anyWarning = toolTable.file || !toolTable.rows.empty();
  BatchOptions batch;
  batch.jobs = options.jobs;
  batch.dryRun = options.dryRun;
  batch.checkGeometry = options.reportFile || options.previewDir;
  batch.machiningTime = timeSettings;
  batch.keepFiles = false;
  batch.finished = [&](const FileReport& file) {
    PrintFileMessages(file, options.verbose, err);
    outcome.anyFailure = outcome.anyFailure || file.status == FileReport::Status::kFailed;
    outcome.anyWarning = outcome.anyWarning || !file.warnings.empty();
    if (report) report->Add(file);
  };
  if (options.previewDir) {
    batch.picture = PreviewSvg;
    batch.converted = [&](const FileReport& file, const std::string& svg) {
      outcome.previewsWritten =
          WritePreview(file, svg, *options.previewDir, files, err) && outcome.previewsWritten;
    };
  }
  ConversionDriver driver(files, tools);
  driver.ConvertBatch(options.sources, options.destination, dims, nullptr, batch);
  const bool reportWritten = FinishReport(options, report, toolTable, err);
  return outcome.Failed(options.strict) || !reportWritten ? kExitSomeFailed : kExitAllWritten;
}

}  // namespace

// A left-out dimension is read from section "Settings" of the settings file, a left-out --tools
// from the tool table file (missing or unusable: the table stays empty). The program's directory
// is only looked up, never created: the command line writes no settings.
std::optional<ToolTableReport::FileWarning> FillDefaultsFromAppDir(const ConvertOptions& options,
                                                                   DimensionTexts& dims,
                                                                   ToolTable& tools) {
  if (!LeavesOutADimension(options) && options.toolsFile) return std::nullopt;
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
  return ToolTableReport::FileWarning{
      path, load.line, "cannot be used (" + load.problem + "); converting with an empty table"};
}

std::optional<std::string> TimeSettingsOf(const ConvertOptions& options,
                                          MachiningTimeSettings& settings) {
  if (!options.rapidRate || !options.toolChangeTime) {
    DiskFileStore files;
    const IniStore stored(files, IniPathFor(LocateAppDirForThisProcess()));
    settings = MachiningTimeSettingsFrom(stored.IniRead(setting::kMachiningTime, setting::kRapidRate),
                                         stored.IniRead(setting::kMachiningTime, setting::kToolChangeTime));
  }
  return ApplyTimeOptions(options, settings);
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
    Say(err, error.what());
    err << "Run with --help for usage.\n";
    return kExitUsage;
  }
  if (options.verifyOutput) return Verify(options, out, err);
  return Convert(options, out, err);
}

}  // namespace quarnel
