// quarnel-screenshot: renders the main window offscreen, as a shop would see it with some parts
// on disk and the source list showing programs only, into a PNG; optionally the About box, the
// directory browser with a path typed and the report window after a batch of the bundled
// examples too.
//
//     quarnel-screenshot MAIN.png [ABOUT.png [BROWSER.png [REPORT.png]]]
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <iostream>

#include "engine/batch/conversion_batch.h"
#include "support/app_dir.h"
#include "support/file_store.h"
#include "support/setting_keys.h"
#include "support/settings_store.h"
#include "tools/tool_table_file.h"
#include "ui/about_box.h"
#include "ui/directory_browser.h"
#include "ui/main_window.h"
#include "ui/report_window.h"

namespace {

void Touch(const QString& path) {
  QFile file(path);
  if (file.open(QIODevice::WriteOnly)) file.write("G90G17G40\r\n");
}

// A program directory with settings and a tool table, and folders of source and output files.
void PrepareShop(const QString& root) {
  const QStringList parts = {"cabinet-side.nc", "door-panel.nc", "drawer-front.nc", "shelf.nc",
                             "top.nc"};
  QDir(root).mkpath(QStringLiteral("parts"));
  QDir(root).mkpath(QStringLiteral("machine"));
  for (const QString& name : parts) Touch(root + "/parts/" + name);
  Touch(root + "/parts/cutting-list.pdf");  // hidden by the "Programs" filter
  Touch(root + "/machine/door-panel.nc");

  quarnel::DiskFileStore files;
  const std::string appDir = root.toStdString() + "/";
  quarnel::IniStore settings(files, quarnel::IniPathFor(appDir));
  settings.IniWrite(quarnel::setting::kSettings, quarnel::setting::kSourcePath, root.toStdString() + "/parts/");
  settings.IniWrite(quarnel::setting::kSettings, quarnel::setting::kDestinationPath, root.toStdString() + "/machine/");
  settings.IniWrite(quarnel::setting::kSettings, quarnel::setting::kLength, "600");
  settings.IniWrite(quarnel::setting::kSettings, quarnel::setting::kHeight, "400");
  settings.IniWrite(quarnel::setting::kSettings, quarnel::setting::kThickness, "18");
  settings.IniWrite(quarnel::setting::kSettings, quarnel::setting::kHeadOne, "False");
  settings.IniWrite(quarnel::setting::kSettings, quarnel::setting::kSourceFilter, "Programs");
  quarnel::ToolTable tools;
  tools.SetCell(1, 1, "1");
  tools.SetCell(1, 2, "101");
  tools.SetCell(2, 1, "2");
  tools.SetCell(2, 2, "205");
  quarnel::SaveToolTable(files, quarnel::ToolTablePathFor(appDir), tools);
}

// The report of a batch of the bundled examples, with a table whose row 3 has no "To".
quarnel::BatchReport ExampleReport(const QString& root) {
  quarnel::DiskFileStore files;
  quarnel::ToolTable tools;
  quarnel::LoadToolTable(files, QUARNEL_EXAMPLES "/road-tools.dat", tools);
  tools.SetCell(3, 1, "55");
  quarnel::DimensionTexts dims{"600", "400", "18"};
  quarnel::ConversionDriver driver(files, tools);
  std::vector<std::string> sources;
  for (const char* name : {"road.nc", "cabinet_side.nc", "door_profile.nc", "drilling_panel.nc"}) {
    sources.push_back(root.toStdString() + "/parts/" + name);
    QFile::copy(QStringLiteral(QUARNEL_EXAMPLES "/") + QLatin1String(name),
                QString::fromStdString(sources.back()));
  }
  sources.push_back(root.toStdString() + "/parts/missing.nc");
  quarnel::BatchOptions options;
  options.dryRun = true;
  options.checkGeometry = true;
  options.machiningTime = quarnel::MachiningTimeSettings{};
  return driver.ConvertBatch(sources, root.toStdString() + "/machine", dims, nullptr, options);
}

bool Save(QWidget& widget, const char* path) {
  widget.show();
  QApplication::processEvents();
  if (widget.grab().save(QString::fromLocal8Bit(path), "PNG")) return true;
  std::cerr << "quarnel-screenshot: cannot write " << path << "\n";
  return false;
}

}  // namespace

int main(int argc, char* argv[]) {
  if (argc < 2 || argc > 5) {
    std::cerr << "usage: quarnel-screenshot MAIN.png [ABOUT.png [BROWSER.png [REPORT.png]]]\n";
    return 2;
  }
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir shop(QDir::tempPath() + QStringLiteral("/shop-XXXXXX"));
  if (!shop.isValid()) return 1;
  PrepareShop(shop.path());

  quarnel::DiskFileStore files;
  const std::string appDir = shop.path().toStdString() + "/";
  quarnel::MainWindowAccess access;
  access.roots = {"/", "/media/usb-stick"};
  quarnel::MainWindow window(appDir, files, access);
  window.RestoreSettings();
  auto* file1 = window.findChild<QListWidget*>(QStringLiteral("sourceList"));
  file1->item(1)->setSelected(true);
  file1->item(2)->setSelected(true);
  bool ok = Save(window, argv[1]);
  if (argc > 2) {
    quarnel::AboutBox about;
    ok = Save(about, argv[2]) && ok;
  }
  if (argc > 3) {
    quarnel::IniStore settings(files, quarnel::IniPathFor(appDir));
    quarnel::DirBrowserMemory memory;
    quarnel::DirectoryBrowser browser(settings, {"/", "/media/usb-stick"}, memory);
    browser.Open(shop.path().toStdString() + "/parts/");
    browser.findChild<QLineEdit*>(QStringLiteral("pathField"))
        ->setText(QStringLiteral("/media/usb-stick/jobs"));
    ok = Save(browser, argv[3]) && ok;
  }
  if (argc > 4) {
    quarnel::ReportWindow report;
    report.ShowReport(ExampleReport(shop.path()));
    report.findChild<QTableWidget*>(QStringLiteral("files"))->setCurrentCell(1, 0);
    ok = Save(report, argv[4]) && ok;
  }
  return ok ? 0 : 1;
}
