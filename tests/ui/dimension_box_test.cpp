// The part dimension boxes: texts that are not plain numbers marked, and the height box of the
// window saying which units it selects without moving anything.
#include "ui/dimension_box.h"

#include <QLabel>
#include <QtTest>

#include "support/file_store.h"
#include "test_support.h"
#include "ui/form_style.h"
#include "ui/main_window.h"

using namespace quarnel;
using quarnel::testing::TempDir;

class DimensionBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void MarksTextsThatAreNotPlainNumbers_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::newRow("number") << "600"
                            << "";
    QTest::newRow("comma") << "1,200"
                           << "\"1,200\" is not a plain number: reads as 1";
    QTest::newRow("empty") << ""
                           << "empty: reads as 0";
  }
  void MarksTextsThatAreNotPlainNumbers() {
    QFETCH(QString, text);
    QFETCH(QString, tooltip);
    DimensionBox box;
    box.setText(QStringLiteral("abc"));  // marked first: the mark must also go
    box.setText(text);
    QCOMPARE(box.toolTip(), tooltip);
    const QColor expected =
        tooltip.isEmpty() ? QLineEdit().palette().color(QPalette::Base) : kWarningOrange;
    QCOMPARE(box.palette().color(QPalette::Base), expected);
  }

  void HeightBoxSaysWhichUnitsItSelects() {
    TempDir appDir;
    DiskFileStore files;
    MainWindowAccess access;
    access.roots = {"/"};
    MainWindow window(appDir.Path() + "/", files, access);
    auto* height = window.findChild<DimensionBox*>(QStringLiteral("heightBox"));
    auto* length = window.findChild<DimensionBox*>(QStringLiteral("lengthBox"));
    QVERIFY(height != nullptr && length != nullptr);
    const QRect placed = height->geometry();
    auto* units = height->findChild<QLabel*>(QStringLiteral("units"));
    QVERIFY(units != nullptr);
    QVERIFY(length->findChild<QLabel*>(QStringLiteral("units")) == nullptr);

    height->setText(QStringLiteral("400"));
    QCOMPARE(units->text(), QStringLiteral("mm"));
    QCOMPARE(height->toolTip(), QStringLiteral("Millimetres (G71): the height is above 60\n"
                                               "The part's height (Y), written into each header"));
    height->setText(QStringLiteral("1,200"));
    QCOMPARE(units->text(), QStringLiteral("in"));
    QVERIFY(height->toolTip().startsWith(QStringLiteral(
        "\"1,200\" is not a plain number: reads as 1\nInches (G70): the height is 60 or less\n")));
    QCOMPARE(height->geometry(), placed);
    QVERIFY(units->geometry().right() < height->width());
  }
};

QTEST_MAIN(DimensionBoxTest)
#include "dimension_box_test.moc"
