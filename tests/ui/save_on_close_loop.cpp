// The window's save on the user's close, over and over, for scripts/crash_test_window.sh, which
// kills this program at random moments:
//   ui_save_on_close_loop seed APPDIR   writes the first settings and tool table
//   ui_save_on_close_loop save APPDIR   restores the window, then saves the two sets of
//                                       dimensions and tool table in turn, forever
//   ui_save_on_close_loop check APPDIR  exits 0 when Quarnel.INI and ToolTbl.Dat are whole: the
//                                       table one of the two, the settings file the seed with
//                                       each dimension of either set and a position in twips;
//                                       prints the length and the table that stand
#include <QApplication>
#include <QLineEdit>
#include <QTableView>
#include <iostream>

#include "support/app_dir.h"
#include "support/file_store.h"
#include "support/ini_text.h"
#include "support/setting_keys.h"
#include "tools/tool_table_file.h"
#include "ui/main_window.h"

using namespace quarnel;

namespace {

// The two sets the loop saves in turn: dimension texts, then a From and To text for each row.
const char* const kSets[2][3 + 2 * ToolTable::kRows] = {
    {"600", "400", "18", "1", "101", "2", "102", "3", "103", "4", "104", "5", "105", "6", "106",
     "7", "107", "81", "205"},
    {"2800.5", "2070.25", "19", "11", "111", "12", "112", "13", "113", "14", "114", "15", "115",
     "16", "116", "17", "117", "51", "251"},
};
const std::string_view kDimensionKeys[] = {setting::kLength, setting::kHeight, setting::kThickness};

// Everything else in the settings file, which every save must keep.
constexpr std::string_view kSeed =
    "; kept by every save\n[Window]\nTop=0\nLeft=0\n[Settings]\nX-Dimension=600\n"
    "Y-Dimension=400\nZ-Dimension=18\nSourcePath=/shop/parts/\n[Other]\nkept=yes\n";

ToolTable TableOf(int set) {
  ToolTable table;
  for (int row = 1; row <= ToolTable::kRows; ++row) {
    table.SetCell(row, ToolTable::kFromColumn, kSets[set][1 + 2 * row]);
    table.SetCell(row, ToolTable::kToColumn, kSets[set][2 + 2 * row]);
  }
  return table;
}

// Shows the set's dimensions and table in the window, as a user would type them.
void Show(MainWindow& window, int set) {
  const char* boxes[] = {"lengthBox", "heightBox", "thicknessBox"};
  for (int i = 0; i < 3; ++i) window.findChild<QLineEdit*>(boxes[i])->setText(kSets[set][i]);
  QAbstractItemModel& grid = *window.findChild<QTableView*>("toolGrid")->model();
  for (int row = 0; row < ToolTable::kRows; ++row) {
    for (int column = 0; column < 2; ++column) {
      grid.setData(grid.index(row, column), QString(kSets[set][3 + 2 * row + column]));
    }
  }
}

int Save(int argc, char** argv, const std::string& appDir) {
  QApplication app(argc, argv);
  DiskFileStore files;
  MainWindow window(appDir, files, {[](QWidget*, const Message&) {}, {}, {"/"}, 500});
  window.RestoreSettings();
  for (int turn = 0;; turn ^= 1) {
    Show(window, turn);
    window.SaveOnClose(CloseReason::kUser);
  }
}

bool IsWholeNumber(const std::string& text) {
  return !text.empty() && text.find_first_not_of("-0123456789") == std::string::npos;
}

// The settings file is whole when it is the seed with the position it holds and each dimension
// of one of the sets.
bool SettingsAreWhole(const std::string& text) {
  std::string expected(kSeed);
  for (std::string_view key : {setting::kTop, setting::kLeft}) {
    const std::string value = IniValueIn(text, setting::kWindow, key);
    if (!IsWholeNumber(value)) return false;
    expected = *IniTextWith(expected, setting::kWindow, key, value);
  }
  for (int i = 0; i < 3; ++i) {
    const std::string value = IniValueIn(text, setting::kSettings, kDimensionKeys[i]);
    if (value != kSets[0][i] && value != kSets[1][i]) return false;
    expected = *IniTextWith(expected, setting::kSettings, kDimensionKeys[i], value);
  }
  return text == expected;
}

int Check(const std::string& appDir) {
  DiskFileStore files;
  const ReadOutcome settings = files.ReadRegularFile(IniPathFor(appDir));
  const ReadOutcome table = files.ReadRegularFile(ToolTablePathFor(appDir));
  if (!settings.ok || !SettingsAreWhole(settings.bytes)) {
    std::cerr << "Quarnel.INI is not whole:\n" << settings.bytes << settings.error << "\n";
    return 1;
  }
  if (!table.ok ||
      (table.bytes != ToolTableText(TableOf(0)) && table.bytes != ToolTableText(TableOf(1)))) {
    std::cerr << "ToolTbl.Dat is not whole:\n" << table.bytes << table.error << "\n";
    return 1;
  }
  // Which sets stand, so that the script can tell that the saves change the files.
  std::cout << "settings " << IniValueIn(settings.bytes, setting::kSettings, setting::kLength)
            << ", table " << (table.bytes == ToolTableText(TableOf(0)) ? 0 : 1) << "\n";
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: ui_save_on_close_loop seed|save|check APPDIR\n";
    return 2;
  }
  const std::string mode = argv[1];
  const std::string appDir = std::string(argv[2]) + "/";
  if (mode == "save") return Save(argc, argv, appDir);
  if (mode == "check") return Check(appDir);
  DiskFileStore files;
  const bool seeded = !files.WriteAtomically(IniPathFor(appDir), kSeed) &&
                      !SaveToolTable(files, ToolTablePathFor(appDir), TableOf(0));
  return seeded ? 0 : 1;
}
