// The file lists as a shop uses them: following the disk, natural order, the filter, names
// that are not UTF-8 from the list to the disk, and drops.
#include "ui/file_list.h"

#include <QComboBox>
#include <QLabel>
#include <QMimeData>
#include <QTableWidget>
#include <QUrl>
#include <QtTest>

#include "test_support.h"
#include "ui/preview_window.h"
#include "window_fixture.h"

using namespace quarnel;
using quarnel::testing::ReadFileBytes;
using quarnel::testing::UiTestDataPath;
using quarnel::testing::WindowFixture;
using quarnel::testing::WriteFileBytes;

namespace {

// The entries' shown texts.
QStringList Shown(const FileList& list) {
  QStringList texts;
  for (int row = 0; row < list.count(); ++row) texts << list.item(row)->text();
  return texts;
}

QStringList SelectedNames(const FileList& list) {
  QStringList names;
  for (const QListWidgetItem* item : list.selectedItems()) {
    names << QString::fromStdString(FileList::NameOf(*item));
  }
  return names;
}

// Sends list a drag of urls over it and, when it is taken, the drop; whether it was taken.
bool Drop(FileList& list, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint at = list.viewport()->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(list.viewport(), &drop);
  return drop.isAccepted();
}

// A local file URL carrying the path's bytes as they are.
QUrl FileUrl(const std::string& path) {
  return QUrl::fromEncoded("file://" + QByteArray::fromStdString(path).toPercentEncoding("/"));
}

}  // namespace

class FileListTest : public QObject {
  Q_OBJECT

 private slots:
  // Files added, deleted and renamed in a shell show without a click; the selection stays
  // where the names remain; F5 reads both lists at once.
  void ListsFollowTheDiskAndKeepTheSelection() {
    WindowFixture fixture;
    const std::string parts = fixture.Folder("parts");
    for (const char* name : {"a.nc", "b.nc", "c.nc"}) WriteFileBytes(parts + "/" + name, "");
    fixture.WriteShopSettings(parts, fixture.Folder("machine"));
    fixture.Start();
    auto& list = fixture.Find<FileList>("sourceList");
    list.Select({"b.nc", "c.nc"});
    std::filesystem::remove(parts + "/c.nc");
    std::filesystem::rename(parts + "/a.nc", parts + "/z.nc");
    QTRY_COMPARE(Shown(list), QStringList({"b.nc", "z.nc"}));
    QCOMPARE(SelectedNames(list), QStringList{"b.nc"});
    QVERIFY(fixture.Find<QPushButton>("processButton").isEnabled());
    WriteFileBytes(fixture.shop.File("machine/new.nc"), "");
    fixture.Show();
    QTest::keyClick(fixture.window.get(), Qt::Key_F5);
    QCOMPARE(fixture.Entries("destinationList"), QStringList{"new.nc"});  // before the watcher
  }

  // Changes that come while a re-read is due are all shown by that one re-read.
  void ManyChangesGiveOneReread() {
    quarnel::testing::TempDir folder;
    FileList list(true);
    QVERIFY(list.SetDirectory(folder.Path()));
    QSignalSpy rereads(&list, &FileList::SelectionChanged);
    for (int k = 0; k < 20; ++k) {
      WriteFileBytes(folder.File("part" + std::to_string(k) + ".nc"), "");
      list.RefreshSoon();
    }
    QTRY_COMPARE(Shown(list).size(), 20);
    QTest::qWait(400);  // two delays more: nothing is left to re-read
    QCOMPARE(rereads.count(), 1);
  }

  void ListsInNaturalOrderIgnoringCase() {
    quarnel::testing::TempDir folder;
    for (const char* name : {"B.nc", "Zeta.NC", "a.nc", "part10.nc", "part2.nc"}) {
      WriteFileBytes(folder.File(name), "");
    }
    FileList list(true);
    QVERIFY(list.SetDirectory(folder.Path()));
    QCOMPARE(Shown(list), QStringList({"a.nc", "B.nc", "part2.nc", "part10.nc", "Zeta.NC"}));
  }

  // "Programs" leaves out other files; each list's choice is kept in the settings.
  void TheFilterNarrowsTheListAndIsRemembered() {
    WindowFixture fixture;
    const std::string parts = fixture.Folder("parts");
    for (const char* name : {"a.nc", "b.TAP", "readme.pdf", "run"}) {
      WriteFileBytes(parts + "/" + name, "");
    }
    fixture.WriteShopSettings(parts, fixture.Folder("machine"));
    fixture.Start();
    QCOMPARE(fixture.Entries("sourceList").size(), 4);  // "All files" at first
    auto& filter = fixture.Find<QComboBox>("sourceFilter");
    filter.setCurrentIndex(1);
    emit filter.activated(1);
    QCOMPARE(fixture.Entries("sourceList"), QStringList({"a.nc", "b.TAP"}));
    QCOMPARE(fixture.Setting("Settings", "SourceFilter"), std::string("Programs"));
    fixture.window.reset();
    fixture.Start();
    QCOMPARE(fixture.Find<QComboBox>("sourceFilter").currentText(), QStringLiteral("Programs"));
    QCOMPARE(fixture.Entries("sourceList"), QStringList({"a.nc", "b.TAP"}));
    QCOMPARE(fixture.Find<QComboBox>("destinationFilter").currentText(),
             QStringLiteral("All files"));
  }

  // A name in Latin-1 shows its bad byte escaped, converts to an output of the same bytes,
  // and is named so in the report; its preview finds both files.
  void ANameThatIsNotUtf8IsShownEscapedAndConverted() {
    WindowFixture fixture;
    const std::string parts = fixture.Folder("parts");
    const std::string machine = fixture.Folder("machine");
    const std::string name = "caf\xE9.nc";
    WriteFileBytes(parts + "/" + name, ReadFileBytes(UiTestDataPath("road.nc")));
    fixture.WriteShopSettings(parts, machine);
    fixture.Start();
    fixture.Show();
    QCOMPARE(fixture.Entries("sourceList"), QStringList{"caf\\xE9.nc"});
    fixture.Find<FileList>("sourceList").Select({name});
    fixture.ProcessAndWait();
    QCOMPARE(ReadFileBytes(machine + "/" + name), ReadFileBytes(UiTestDataPath("road.expected")));
    QCOMPARE(fixture.Entries("destinationList"), QStringList{"caf\\xE9.nc"});
    fixture.window->ShowLastReport();
    auto* report = fixture.window->findChild<QWidget*>("reportWindow");
    QCOMPARE(report->findChild<QTableWidget*>("files")->item(0, 0)->text(),
             QStringLiteral("caf\\xE9.nc"));
    fixture.Find<FileList>("destinationList").Select({name});
    fixture.window->PreviewSelectedOutput();
    auto* preview = fixture.window->findChild<PreviewWindow*>();
    QVERIFY(preview->ShownVerdict().startsWith(QStringLiteral("matches")));
    QCOMPARE(preview->windowTitle(), QStringLiteral("Preview - caf\\xE9.nc"));
  }

  // Files dropped on the source list choose their folder and select them; a folder dropped on
  // the destination list chooses it; anything else is refused.
  void DropsChooseFoldersAndSelectFiles() {
    WindowFixture fixture;
    const std::string parts = fixture.Folder("parts");
    const std::string other = fixture.Folder("other");
    for (const char* name : {"a.nc", "b.nc", "c.nc"}) WriteFileBytes(other + "/" + name, "");
    fixture.WriteShopSettings(parts, fixture.Folder("machine"));
    fixture.Start();
    auto& source = fixture.Find<FileList>("sourceList");
    auto& destination = fixture.Find<FileList>("destinationList");
    QVERIFY(Drop(source, {FileUrl(other + "/a.nc"), FileUrl(other + "/c.nc")}));
    QCOMPARE(source.Directory(), other);
    QCOMPARE(SelectedNames(source), QStringList({"a.nc", "c.nc"}));
    QVERIFY(fixture.Find<QPushButton>("processButton").isEnabled());
    QCOMPARE(fixture.Setting("Settings", "SourcePath"), other + "/");
    QCOMPARE(fixture.Find<QLabel>("sourcePathLabel").text().toStdString(), other + "/");
    QVERIFY(Drop(destination, {FileUrl(other + "/")}));
    QCOMPARE(destination.Directory(), other);
    QCOMPARE(fixture.Setting("Settings", "DestinationPath"), other + "/");
    QVERIFY(!Drop(destination, {FileUrl(parts + "/../other/a.nc")}));
    QVERIFY(!Drop(source, {QUrl(QStringLiteral("https://example.org/a.nc"))}));
    QVERIFY(!Drop(source, {FileUrl(other + "/a.nc"), FileUrl(parts)}));
    QCOMPARE(source.Directory(), other);
  }

  // While a batch runs, its outputs show as they land.
  void TheDestinationShowsOutputsAsTheyLand() {
    WindowFixture fixture;
    fixture.files.readDelayMs = 40;
    fixture.ShopWithRoads(12);
    fixture.Start();
    fixture.Show();
    QTest::keyClick(&fixture.Find<FileList>("sourceList"), Qt::Key_A, Qt::ControlModifier);
    QSignalSpy finished(fixture.window.get(), &MainWindow::BatchFinished);
    QTest::mouseClick(&fixture.Find<QPushButton>("processButton"), Qt::LeftButton);
    QTRY_VERIFY(!fixture.Entries("destinationList").isEmpty());
    QVERIFY(fixture.window->BatchRunning());
    QVERIFY(finished.wait(30000));
    QCOMPARE(fixture.Entries("destinationList").size(), 12);
  }
};

QTEST_MAIN(FileListTest)
#include "file_list_test.moc"
