// The program's start-up: the About box first and alone, then the main window with its settings.
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include "support/file_store.h"
#include "support/settings_store.h"
#include "test_support.h"
#include "ui/about_box.h"
#include "ui/app.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

using namespace quarnel;
using quarnel::testing::TempDir;

namespace {

MainWindow* VisibleMainWindow() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    if (auto* window = qobject_cast<MainWindow*>(widget); window != nullptr && window->isVisible())
      return window;
  }
  return nullptr;
}

}  // namespace

class StartupTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsTheAboutBoxBeforeTheRestoredMainWindow() {
    TempDir appDir;
    DiskFileStore files;
    IniStore(files, appDir.File("Quarnel.INI")).IniWrite("Settings", "X-Dimension", "600");

    bool aboutCameFirst = false;
    QString restoredLength;
    quarnel::testing::WhenModalShown([&](QWidget& modal) {
      aboutCameFirst = qobject_cast<AboutBox*>(&modal) != nullptr && VisibleMainWindow() == nullptr;
      QTest::mouseClick(modal.findChild<QPushButton*>("okButton"), Qt::LeftButton);
    });
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (MainWindow* window = VisibleMainWindow()) {
        restoredLength = window->findChild<QLineEdit*>("lengthBox")->text();
        window->close();
      }
    });
    poll.start(20);
    QTimer::singleShot(10000, qApp, [] { QApplication::exit(1); });  // never hang

    QCOMPARE(RunQuarnel(*qApp, appDir.Path() + "/"), 0);
    QVERIFY(aboutCameFirst);
    QCOMPARE(restoredLength, QStringLiteral("600"));
  }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
