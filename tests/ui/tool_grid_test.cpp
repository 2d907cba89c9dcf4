// ToolTab: what it shows, edits reaching the tool table, and the entries it refuses.
#include "ui/tool_grid.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace quarnel;

namespace {

// Opens the editor of a cell of a shown grid.
QLineEdit* StartEditing(ToolGrid& grid, int row, int column) {
  grid.setCurrentCell(row - 1, column - 1);
  grid.editItem(grid.item(row - 1, column - 1));
  return grid.findChild<QLineEdit*>();
}

}  // namespace

class ToolGridTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsHeadingsRowNumbersAndCyanCells() {
    ToolTable table;
    ToolGrid grid(table);
    QCOMPARE(grid.rowCount(), 8);
    QCOMPARE(grid.columnCount(), 2);
    QCOMPARE(grid.horizontalHeaderItem(0)->text(), QStringLiteral("From"));
    QCOMPARE(grid.horizontalHeaderItem(1)->text(), QStringLiteral("To"));
    QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(grid.model()->headerData(7, Qt::Vertical).toString(), QStringLiteral("8"));
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 2; ++column) {
        QCOMPARE(grid.item(row, column)->text(), QString());
        QCOMPARE(grid.item(row, column)->background().color(), QColor(128, 255, 255));
      }
    }
  }

  void ShowsTheTableAfterALoad() {
    ToolTable table;
    ToolGrid grid(table);
    table.SetCell(3, 1, "7");
    table.SetCell(3, 2, "not a number");
    grid.ShowTable();
    QCOMPARE(grid.item(2, 0)->text(), QStringLiteral("7"));
    QCOMPARE(grid.item(2, 1)->text(), QStringLiteral("not a number"));
  }

  void TypedTextReachesTheTable() {
    ToolTable table;
    ToolGrid grid(table);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QLineEdit* editor = StartEditing(grid, 2, 2);
    QVERIFY(editor != nullptr);
    QTest::keyClicks(editor, "T 101 x");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(table.GridCell(2, 2), std::string_view("T 101 x"));  // the editor commits queued
  }

  void RefusesWhatTheConversionCannotUse_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("kept");
    QTest::newRow("To beyond 16 bits") << 2 << "40000"
                                       << "4000";
    QTest::newRow("To below 16 bits") << 2 << "-32769"
                                      << "-3276";
    QTest::newRow("From beyond a float") << 1 << "1E39"
                                         << "1E3";
    QTest::newRow("text in To") << 2 << "drill"
                                << "drill";
  }
  void RefusesWhatTheConversionCannotUse() {
    QFETCH(int, column);
    QFETCH(QString, typed);
    QFETCH(QString, kept);
    ToolTable table;
    ToolGrid grid(table);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy refusals(&grid, &ToolGrid::EntryRefused);
    QLineEdit* editor = StartEditing(grid, 1, column);
    QTest::keyClicks(editor, typed);
    QCOMPARE(editor->text(), kept);
    QCOMPARE(refusals.count(), typed == kept ? 0 : 1);
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(QString::fromStdString(std::string(table.GridCell(1, column))), kept);
  }

  void RefusesAPastedLineBreak() {
    ToolTable table;
    ToolGrid grid(table);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy refusals(&grid, &ToolGrid::EntryRefused);
    QLineEdit* editor = StartEditing(grid, 4, 1);
    QGuiApplication::clipboard()->setText(QStringLiteral("7\n8"));
    editor->paste();
    QCOMPARE(editor->text(), QString());
    QCOMPARE(refusals.count(), 1);
    QVERIFY(refusals.front().front().toString().contains("line break"));
  }
};

QTEST_MAIN(ToolGridTest)
#include "tool_grid_test.moc"
