// ToolTab: what it shows, edits reaching the tool table, the cells it marks, and line breaks
// refused.
#include "ui/tool_grid.h"

#include <QClipboard>
#include <QHeaderView>
#include <QLineEdit>
#include <QSignalSpy>
#include <QtTest>

using namespace quarnel;

namespace {

// Opens the editor of a cell (row and column from 1) of a shown grid.
QLineEdit* StartEditing(ToolGrid& grid, int row, int column) {
  const QModelIndex cell = grid.model()->index(row - 1, column - 1);
  grid.setCurrentIndex(cell);
  grid.edit(cell);
  return grid.findChild<QLineEdit*>();
}

// What a cell (row and column from 0) shows for role.
QVariant Shown(const ToolGrid& grid, int row, int column, int role = Qt::DisplayRole) {
  return grid.model()->index(row, column).data(role);
}

QColor Background(const ToolGrid& grid, int row, int column) {
  return Shown(grid, row, column, Qt::BackgroundRole).value<QColor>();
}

}  // namespace

class ToolGridTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsHeadingsRowNumbersAndCyanCells() {
    ToolTable table;
    ToolGrid grid(table);
    QCOMPARE(grid.model()->rowCount(), 8);
    QCOMPARE(grid.model()->columnCount(), 2);
    QCOMPARE(grid.model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("From"));
    QCOMPARE(grid.model()->headerData(1, Qt::Horizontal).toString(), QStringLiteral("To"));
    QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toString(), QStringLiteral("1"));
    QCOMPARE(grid.model()->headerData(7, Qt::Vertical).toString(), QStringLiteral("8"));
    for (int row = 0; row < 8; ++row) {
      for (int column = 0; column < 2; ++column) {
        QCOMPARE(Shown(grid, row, column).toString(), QString());
        QCOMPARE(Background(grid, row, column), QColor(128, 255, 255));
      }
    }
  }

  void ShowsTheTableAfterALoad() {
    ToolTable table;
    ToolGrid grid(table);
    table.SetCell(3, 1, "7");
    table.SetCell(3, 2, "not a number");
    grid.ShowTable();
    QCOMPARE(Shown(grid, 2, 0).toString(), QStringLiteral("7"));
    QCOMPARE(Shown(grid, 2, 1).toString(), QStringLiteral("not a number"));
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

  // Typed keys all stay (none is refused), and the cells that draw a warning are marked.
  void TakesEveryKeyAndMarksCellsThatMislead() {
    ToolTable table;
    ToolGrid grid(table);
    grid.show();
    QVERIFY(QTest::qWaitForWindowExposed(&grid));
    QSignalSpy refusals(&grid, &ToolGrid::EntryRefused);
    const struct {
      int row, column;
      const char* typed;
    } entries[] = {{1, 1, "5"},        {1, 2, "40000"}, {2, 1, "5"},
                   {2, 2, "4000abc-"}, {3, 1, "1"},     {3, 2, "101"}};
    for (const auto& e : entries) {
      QLineEdit* editor = StartEditing(grid, e.row, e.column);
      QTest::keyClicks(editor, e.typed);
      QTest::keyClick(editor, Qt::Key_Return);
      QTRY_COMPARE(table.GridCell(e.row, e.column), std::string_view(e.typed));
    }
    QCOMPARE(refusals.count(), 0);
    const QColor warning(255, 200, 120), plain(128, 255, 255);
    auto mark = [&grid](int row, int column) { return Background(grid, row - 1, column - 1); };
    auto tip = [&grid](int row, int column) {
      return Shown(grid, row - 1, column - 1, Qt::ToolTipRole).toString();
    };
    QCOMPARE(mark(1, 1), warning);  // "From" 5 again in row 2
    QVERIFY(tip(1, 1).contains("repeated in row 2"));
    QCOMPARE(mark(1, 2), warning);  // beyond 16 bits
    QCOMPARE(mark(2, 1), plain);
    QCOMPARE(mark(2, 2), warning);  // not a number
    QCOMPARE(tip(2, 2), QStringLiteral("5 -> lookup fails\n\"To\" 4000abc- is not a "
                                       "plain number: reads as 4000"));
    QCOMPARE(mark(3, 2), plain);
    QCOMPARE(tip(3, 2), QStringLiteral("1 -> T01a1"));
    QCOMPARE(tip(4, 1), QString());
  }

  void ChecksTheTableAfterALoad() {
    ToolTable table;
    ToolGrid grid(table);
    table.SetCell(1, 2, "abc");
    grid.ShowTable();
    QCOMPARE(Background(grid, 0, 1), QColor(255, 200, 120));
    table.SetCell(1, 2, "101");
    grid.ShowTable();
    QCOMPARE(Background(grid, 0, 1), QColor(128, 255, 255));
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
