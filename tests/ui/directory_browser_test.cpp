// DirectoryBrowser: the opening steps, OK, Cancel and the title bar's close with the settings each
// writes, roots that are not ready and starting directories that do not exist.
#include "ui/directory_browser.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "support/file_store.h"
#include "support/settings_store.h"
#include "test_support.h"
#include "ui/directory_list.h"
#include "ui_test_support.h"

using namespace quarnel;
using quarnel::testing::MessageLog;
using quarnel::testing::TempDir;

namespace {

// A settings file in a temporary program directory, a folder tree to browse, and the dialog's
// lasting memory.
struct BrowserFixture {
  TempDir appDir;
  TempDir tree;
  DiskFileStore files;
  IniStore settings{files, appDir.File("Quarnel.INI")};
  DirBrowserMemory memory;
  MessageLog messages;

  BrowserFixture() {
    std::filesystem::create_directories(tree.File("cnc/parts"));
    std::filesystem::create_directories(tree.File("cnc/old"));
  }
  // Roots: "/", the tree itself, and one that does not exist.
  std::vector<std::string> Roots() const { return {"/", tree.Path(), tree.File("unplugged")}; }
  std::unique_ptr<DirectoryBrowser> Make() {
    return std::make_unique<DirectoryBrowser>(settings, Roots(), memory, nullptr, messages.Function());
  }
  std::string Setting(const char* key) const { return settings.IniRead("DirDialogBox", key); }
};

QComboBox& Drive1(DirectoryBrowser& dialog) { return *dialog.findChild<QComboBox*>("driveList"); }
DirectoryList& Dir1(DirectoryBrowser& dialog) { return *dialog.findChild<DirectoryList*>("directoryList"); }

}  // namespace

class DirBrowserTest : public QObject {
  Q_OBJECT

 private slots:
  void OkReturnsTheStartWithAFinalSeparator() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    const std::string start = fixture.tree.File("cnc/parts");
    dialog->Open(start);
    QCOMPARE(Dir1(*dialog).Path(), start);
    QCOMPARE(Drive1(*dialog).currentText().toStdString(), fixture.tree.Path());
    QCOMPARE(dialog->findChild<QLabel*>("pathLabel")->text().toStdString(), start);
    QTest::mouseClick(dialog->findChild<QPushButton*>("okButton"), Qt::LeftButton);
    QCOMPARE(dialog->SelectedDir(), start + "/");
    QCOMPARE(fixture.Setting("LastDir"), start);
    QCOMPARE(fixture.Setting("Top"), std::string("0"));
    QCOMPARE(fixture.Setting("Left"), std::string("0"));
  }

  void OkKeepsAStartThatEndsInASeparator() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open("/");
    QCOMPARE(dialog->LabelText(), std::string("/"));
    dialog->accept();
    QCOMPARE(dialog->SelectedDir(), std::string("/"));
  }

  void ClosingWritesTheSettingsOfItsWay_data() {
    QTest::addColumn<QString>("way");
    QTest::addColumn<bool>("lastDirWritten");
    QTest::newRow("Cancel button") << "cancel" << true;
    QTest::newRow("Escape key") << "escape" << true;
    QTest::newRow("title bar") << "titlebar" << false;
  }
  void ClosingWritesTheSettingsOfItsWay() {
    QFETCH(QString, way);
    QFETCH(bool, lastDirWritten);
    BrowserFixture fixture;
    fixture.settings.IniWrite("DirDialogBox", "Top", "1500");
    fixture.settings.IniWrite("DirDialogBox", "Left", "3000");
    auto dialog = fixture.Make();
    const std::string start = fixture.tree.File("cnc/parts/");
    dialog->Open(start);
    QCOMPARE(dialog->pos(), QPoint(200, 100));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    dialog->move(40, 20);
    if (way == "cancel")
      QTest::mouseClick(dialog->findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
    if (way == "escape") QTest::keyClick(dialog.get(), Qt::Key_Escape);
    if (way == "titlebar") quarnel::testing::SendWindowSystemClose(*dialog);
    QVERIFY(!dialog->isVisible());
    QCOMPARE(dialog->SelectedDir(), std::string());
    QCOMPARE(fixture.Setting("LastDir"), lastDirWritten ? start : std::string());
    QCOMPARE(fixture.Setting("Top"), std::string("300"));
    QCOMPARE(fixture.Setting("Left"), std::string("600"));
  }

  void StartsFromLastDirWhenGivenNoDirectory() {
    BrowserFixture fixture;
    const std::string last = fixture.tree.File("cnc/old");
    fixture.settings.IniWrite("DirDialogBox", "LastDir", last);
    auto dialog = fixture.Make();
    dialog->Open("");
    QCOMPARE(Dir1(*dialog).Path(), last);
    QCOMPARE(dialog->LabelText(), last);
  }

  void WithoutAnyStartOkReturnsTheRoot() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open("");
    QCOMPARE(dialog->LabelText(), std::string());
    dialog->accept();
    QCOMPARE(dialog->SelectedDir(), std::string("/"));
  }

  void AStartThatDoesNotExistLeavesTheListsWhereTheyWere() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    const std::string before = Dir1(*dialog).Path();
    TempDir elsewhere;  // under the root "/", where the list already is
    const std::string missing = elsewhere.File("gone");
    dialog->Open(missing);
    QCOMPARE(Dir1(*dialog).Path(), before);
    QCOMPARE(dialog->LabelText(), missing);
    QVERIFY(fixture.messages.Entries().empty());
  }

  void OpeningAnEntryMakesItCurrent() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open(fixture.tree.File("cnc"));
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    DirectoryList& list = Dir1(*dialog);
    QTreeWidgetItem* parts =
        list.findItems("parts", Qt::MatchExactly | Qt::MatchRecursive).value(0);
    QVERIFY(parts != nullptr);
    list.setFocus();
    list.setCurrentItem(parts);
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.Path(), fixture.tree.File("cnc/parts"));
    QCOMPARE(dialog->LabelText(), fixture.tree.File("cnc/parts"));
    QVERIFY(dialog->isVisible());  // Enter opened the entry and did not press OK
    QCOMPARE(dialog->SelectedDir(), std::string());
  }

  void ARootThatIsNotReadyIsReportedAndTheLastOneComesBack() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open(fixture.tree.File("cnc/parts"));
    Drive1(*dialog).setCurrentIndex(0);  // "/" works: it becomes the last drive
    QCOMPARE(fixture.memory.lastDrive, std::string("/"));
    QCOMPARE(Dir1(*dialog).Path(), std::string("/"));
    const std::string shownBefore = Dir1(*dialog).Path();
    Drive1(*dialog).setCurrentIndex(2);
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(1));
    const auto& alert = fixture.messages.Entries().front();
    QCOMPARE(alert.title, QStringLiteral("Alert"));
    QCOMPARE(alert.text.toStdString(),
             "Drive " + fixture.tree.File("unplugged") + " is unavailable.");
    QCOMPARE(alert.icon, QMessageBox::Warning);
    QCOMPARE(Drive1(*dialog).currentText(), QStringLiteral("/"));
    QCOMPARE(Dir1(*dialog).Path(), shownBefore);
    QCOMPARE(fixture.memory.lastDrive, std::string("/"));
  }

  void ARootThatIsNotReadyBeforeAnySwitchKeepsTheShownRoot() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open(fixture.tree.File("cnc/parts"));
    fixture.memory.lastDrive.clear();
    Drive1(*dialog).setCurrentIndex(2);
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(1));
    QCOMPARE(Drive1(*dialog).currentText().toStdString(), fixture.tree.Path());
    QCOMPARE(Dir1(*dialog).Path(), fixture.tree.File("cnc/parts"));
  }

  void SwitchingBackToARootReturnsToItsDirectory() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open(fixture.tree.File("cnc/old"));
    Drive1(*dialog).setCurrentIndex(0);
    Drive1(*dialog).setCurrentIndex(1);
    QCOMPARE(Dir1(*dialog).Path(), fixture.tree.File("cnc/old"));
  }

  void ChooseRunsModallyAndReturnsTheChoice() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    quarnel::testing::WhenModalShown([](QWidget& modal) {
      QTest::mouseClick(modal.findChild<QPushButton*>("okButton"), Qt::LeftButton);
    });
    QCOMPARE(dialog->Choose(fixture.tree.File("cnc")), fixture.tree.File("cnc/"));
  }

  // The list takes what the dialog grows by; the dialog's size is kept with its position.
  void ItsListGrowsWithItAndItsSizeIsKept() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Directory Selection"));
    QVERIFY(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    const QSize listBefore = Dir1(*dialog).size();
    dialog->resize(dialog->width() + 100, dialog->height() + 150);
    QTRY_COMPARE(Dir1(*dialog).size(), listBefore + QSize(100, 150));
    dialog->reject();
    QCOMPARE(fixture.Setting("Height"), std::to_string(dialog->height() * 15));
    auto again = fixture.Make();
    again->Open("");
    QCOMPARE(again->size(), dialog->size());
  }

  // Enter in the path field goes to the typed folder (relative to the one shown, or from the
  // home folder with "~") and its root; it does not press OK.
  void ATypedPathIsOpenedWithEnter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("opened");  // under the tree
    QTest::addColumn<bool>("fromRoot");   // typed while the list shows the root "/"
    QTest::newRow("absolute") << "TREE/cnc/old" << "cnc/old" << true;
    QTest::newRow("relative, with blanks") << " ../old " << "cnc/old" << false;
    QTest::newRow("home") << "~/parts" << "cnc/parts" << true;
  }
  void ATypedPathIsOpenedWithEnter() {
    QFETCH(QString, typed);
    QFETCH(QString, opened);
    QFETCH(bool, fromRoot);
    BrowserFixture fixture;
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", fixture.tree.File("cnc").c_str());
    auto dialog = fixture.Make();
    dialog->Open(fixture.tree.File("cnc/parts"));
    if (fromRoot) Drive1(*dialog).setCurrentIndex(0);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    auto* field = dialog->findChild<QLineEdit*>("pathField");
    field->setText(typed.replace("TREE", QString::fromStdString(fixture.tree.Path())));
    QTest::keyClick(field, Qt::Key_Return);
    QCOMPARE(dialog->LabelText(), fixture.tree.File(opened.toStdString()));
    QCOMPARE(Drive1(*dialog).currentText().toStdString(), fixture.tree.Path());
    QVERIFY(dialog->isVisible());
    QVERIFY(fixture.messages.Entries().empty());
    qputenv("HOME", home);
  }

  void ATypedPathThatCannotBeOpenedIsNamed() {
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open(fixture.tree.File("cnc"));
    auto* field = dialog->findChild<QLineEdit*>("pathField");
    field->setText(QString::fromStdString(fixture.tree.File("gone")));
    QTest::keyClick(field, Qt::Key_Enter);
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(1));
    QVERIFY(fixture.messages.Entries().front().text.contains("gone cannot be opened"));
    QCOMPARE(dialog->LabelText(), fixture.tree.File("cnc"));
  }

  // New Folder makes the folder in the one shown and opens it; a bad name is refused.
  void NewFolderMakesAndOpensIt_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("made");
    QTest::newRow("plain") << "jobs 2024" << true;
    QTest::newRow("existing") << "parts" << false;
    QTest::newRow("with a slash") << "a/b" << false;
  }
  void NewFolderMakesAndOpensIt() {
    QFETCH(QString, name);
    QFETCH(bool, made);
    BrowserFixture fixture;
    auto dialog = fixture.Make();
    dialog->Open(fixture.tree.File("cnc"));
    quarnel::testing::WhenModalShown([name](QWidget& modal) {
      modal.findChild<QLineEdit*>()->setText(name);
      QMetaObject::invokeMethod(&modal, "accept");
    });
    QTest::mouseClick(dialog->findChild<QPushButton*>("newFolderButton"), Qt::LeftButton);
    const std::string path = fixture.tree.File("cnc/" + name.toStdString());
    QCOMPARE(dialog->LabelText(), made ? path : fixture.tree.File("cnc"));
    QCOMPARE(fixture.messages.Entries().size(), std::size_t(made ? 0 : 1));
    QVERIFY(!std::filesystem::exists(fixture.tree.File("cnc/a")));
  }
};

QTEST_MAIN(DirBrowserTest)
#include "directory_browser_test.moc"
