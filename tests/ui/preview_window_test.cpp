// PreviewWindow: the items drawn for a conversion, the verdict, time and extents shown, the
// lines of the move under the pointer, moves and lines selecting each other, the side view,
// zooming and fitting.
#include "ui/preview_window.h"

#include <QListWidget>
#include <QToolButton>
#include <QtTest>
#include <algorithm>
#include <map>

#include "support/file_store.h"
#include "test_support.h"
#include "ui/program_text_view.h"
#include "tools/tool_table_file.h"

using namespace quarnel;
using quarnel::testing::ReadFileBytes;
using quarnel::testing::TempDir;

namespace {

const QString kExamples = QStringLiteral(QUARNEL_TEST_DATA "/../../examples/");
const QString kGolden = QStringLiteral(QUARNEL_TEST_DATA "/golden/");

QString ExpectedOutput(const QString& name) {
  return kGolden + name + QStringLiteral("/expected/") + name + QStringLiteral(".nc");
}

PreviewProgram Program(const QString& path) {
  return {QFileInfo(path).fileName(), ReadFileBytes(path.toStdString())};
}

// The layers of the output's depth bands ("output feeds at depth 3") go by one name.
QString Kind(const PreviewLayer& layer) { return layer.name.section(QStringLiteral(" at depth"), 0, 0); }

// The box of what each kind of layer draws, machine Y up; empty layers left out.
std::map<QString, QRectF> Drawn(const PreviewWindow& window) {
  std::map<QString, QRectF> drawn;
  for (const PreviewLayer& layer : window.Canvas()->Layers()) {
    if (!layer.Empty()) drawn[Kind(layer)] |= layer.Bounds();
  }
  if (!window.Canvas()->Part().isNull()) drawn[QStringLiteral("part")] = window.Canvas()->Part();
  return drawn;
}

bool Near(const QRectF& box, double left, double bottom, double right, double top, double slack) {
  return std::abs(box.left() - left) <= slack && std::abs(box.right() - right) <= slack &&
         std::abs(box.top() - bottom) <= slack && std::abs(box.bottom() - top) <= slack;
}

// Counts of the shapes a kind of layer draws.
std::size_t Shapes(const PreviewWindow& window, const QString& name) {
  std::size_t shapes = 0;
  for (const PreviewLayer& layer : window.Canvas()->Layers()) {
    if (Kind(layer) == name) {
      shapes += layer.lines.size() + layer.arcs.size() + layer.rings.size() + layer.squares.size();
    }
  }
  return shapes;
}

// How many of the output's rapid lines end at one of its drilling or cycle points.
std::size_t RapidsToPoints(const PreviewWindow& window) {
  std::vector<QPointF> points;
  for (const PreviewLayer& layer : window.Canvas()->Layers()) {
    if (Kind(layer) != QStringLiteral("output points")) continue;
    points.insert(points.end(), layer.rings.begin(), layer.rings.end());
    points.insert(points.end(), layer.squares.begin(), layer.squares.end());
  }
  std::size_t count = 0;
  for (const PreviewLayer& layer : window.Canvas()->Layers()) {
    if (layer.name != QStringLiteral("output rapids")) continue;
    for (const QLineF& line : layer.lines) {
      count += std::count(points.begin(), points.end(), line.p2()) > 0 ? 1 : 0;
    }
  }
  return count;
}

// The box of the moves selected, empty for none.
QRectF Selected(const ToolpathCanvas& canvas) {
  return canvas.Selection().Empty() ? QRectF() : canvas.Selection().Bounds();
}

// Chooses a line of a program's text as a user does, by moving the current row.
void ChooseLine(ProgramTextView& text, int line) {
  text.setCurrentIndex(text.model()->index(line - 1, 0));
}

QString Replaced(std::string text, const std::string& from, const std::string& to) {
  text.replace(text.find(from), from.size(), to);
  return QString::fromStdString(text);
}

QPointF At(double x, double y) { return {x, y}; }

ToolTable ToolsOf(const QString& path) {
  DiskFileStore files;
  ToolTable tools;
  [&] { QVERIFY(LoadToolTable(files, path.toStdString(), tools).Loaded()); }();
  return tools;
}

// The tool tables and part of the golden conversions.
const ToolTable kShopTools = ToolsOf(kGolden + QStringLiteral("shop-tools.dat"));
const ToolTable kRoadTools = ToolsOf(kExamples + QStringLiteral("road-tools.dat"));
const DimensionTexts kPart{"600", "400", "18"};
const DimensionTexts kDoorPart{"23.625", "15.5", "0.75"};

}  // namespace

class PreviewWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void DrawsAGoldenConversionAndShowsItsVerdict() {
    PreviewWindow window(Program(ExpectedOutput("cabinet_side")),
                         Program(kExamples + "cabinet_side.nc"), {kShopTools, &kPart});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(window.ShownVerdict(), QStringLiteral("matches: 20 moves, 3 notes"));
    QVERIFY(window.ShownTime().startsWith(QStringLiteral("estimated time ")));
    QCOMPARE(window.ShownExtents(),
             QStringLiteral("part 720 x 560 x 18 mm; toolpath X -20..720, Y -20..560, "
                            "depth -18.5..20"));
    const std::map<QString, QRectF> drawn = Drawn(window);
    QCOMPARE(drawn.count(QStringLiteral("differences")), 0u);
    QVERIFY(Near(drawn.at(QStringLiteral("part")), 0, 0, 720, 560, 1));
    // The profile around the part, from its lead-in at (-20, -20).
    QVERIFY(Near(drawn.at(QStringLiteral("output feeds")), -20, -20, 720, 560, 0.01));
    QVERIFY(Near(drawn.at(QStringLiteral("source feeds")), -20, -20, 720, 560, 0.01));
    // Seven drilling points on each side, between (37, 96) and (523, 512).
    QVERIFY(Near(drawn.at(QStringLiteral("output points")), 37, 96, 523, 512, 0.01));
    QCOMPARE(Shapes(window, QStringLiteral("output points")), 7u);
    QCOMPARE(Shapes(window, QStringLiteral("source points")), 7u);
    // Nine linear feeds and an arc.
    QCOMPARE(Shapes(window, QStringLiteral("output feeds")), 10u);
    QVERIFY(drawn.count(QStringLiteral("output rapids")) == 1);
    QVERIFY(drawn.count(QStringLiteral("source rapids")) == 1);
    // The program writes no way to its drilling points: the machine's approach to each of the
    // seven is drawn as a rapid that ends there.
    QCOMPARE(RapidsToPoints(window), 7u);
    // The profile leaves the part: that note is listed.
    const auto* details = window.findChild<QListWidget*>(QStringLiteral("details"));
    QVERIFY(!details->findItems(QStringLiteral("the toolpath leaves the part"), Qt::MatchStartsWith)
                 .isEmpty());
  }

  void PointingAtAMoveShowsItsOutputAndSourceLines() {
    PreviewWindow window(Program(ExpectedOutput("road")), Program(kExamples + "road.nc"),
                         {kRoadTools, &kPart});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Half way along the arc around (350, 50) from (300, 50) to (350, 100).
    const double half = 50 * std::sqrt(0.5);
    window.ShowMoveAt(At(350 - half, 50 + half));
    QCOMPARE(window.ShownMoveInfo(), QStringLiteral("output line 5: G2G90G17X350Y100Z-5U50F3\n"
                                                    "source line 4: G2X350Y100R50"));
    // The same through the mouse, on the linear feed.
    const QPoint onFeed = window.Canvas()->ToPixel(At(200, 50)).toPoint();
    QTest::mouseMove(window.Canvas(), onFeed);
    QTRY_VERIFY(window.ShownMoveInfo().startsWith(
        QStringLiteral("output line 4: G1G90X300Y50Z-5F3\nsource line 3:")));
    window.ShowMoveAt(At(500, 350));  // nothing near
    QCOMPARE(window.ShownMoveInfo(), QString());
  }

  // Both ways: a click on a move selects its line in both texts, a line chosen selects its
  // move and the line of the move compared with it, a difference selects both.
  void MovesAndLinesSelectEachOther() {
    PreviewWindow window(Program(ExpectedOutput("road")), Program(kExamples + "road.nc"),
                         {kRoadTools, &kPart});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ToolpathCanvas& canvas = *window.Canvas();
    const double half = 50 * std::sqrt(0.5);
    QTest::mouseClick(&canvas, Qt::LeftButton, {},
                      canvas.ToPixel(At(350 - half, 50 + half)).toPoint());
    QCOMPARE(window.OutputText()->SelectedLine(), 5);
    QCOMPARE(window.SourceText()->SelectedLine(), 4);
    QVERIFY(Near(Selected(canvas), 300, 50, 350, 100, 0.01));  // the arc, both programs'
    ChooseLine(*window.OutputText(), 4);
    QCOMPARE(window.SourceText()->SelectedLine(), 3);
    QVERIFY(Near(Selected(canvas), 100, 50, 300, 50, 0.01));
    QCOMPARE(window.ShownMoveInfo(), QStringLiteral("output line 4: G1G90X300Y50Z-5F3\n"
                                                    "source line 3: G1X300F3000"));
    ChooseLine(*window.SourceText(), 1);  // moves nothing: nothing selected
    QCOMPARE(window.OutputText()->SelectedLine(), 0);
    QVERIFY(Selected(canvas).isNull());

    const std::string expected = ReadFileBytes(ExpectedOutput("road").toStdString());
    PreviewWindow differs({QStringLiteral("road.nc"), Replaced(expected, "U50", "U-50").toStdString()},
                          Program(kExamples + "road.nc"), {kRoadTools, &kPart});
    differs.findChild<QListWidget*>(QStringLiteral("details"))->setCurrentRow(0);
    QCOMPARE(differs.OutputText()->SelectedLine(), 5);
    QCOMPARE(differs.SourceText()->SelectedLine(), 4);
    QVERIFY(!Selected(*differs.Canvas()).isNull());
  }

  // From the side: X across and depth up, the part 18 thick under depth 0; the pointer reads
  // in the program's units.
  void TheSideViewDrawsDepthAndThePointerReadsIt() {
    PreviewWindow window(Program(ExpectedOutput("cabinet_side")),
                         Program(kExamples + "cabinet_side.nc"), {kShopTools, &kPart});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.findChild<QToolButton*>(QStringLiteral("view1"))->click();
    QCOMPARE(window.ShownView(), PreviewWindow::View::kSideX);
    const std::map<QString, QRectF> drawn = Drawn(window);
    QVERIFY(Near(drawn.at(QStringLiteral("part")), 0, -18, 720, 0, 1e-9));
    QVERIFY(Near(drawn.at(QStringLiteral("output feeds")), -20, -18.5, 720, 20, 0.01));
    ToolpathCanvas& canvas = *window.Canvas();
    QTest::mouseMove(&canvas, canvas.ToPixel(At(360, -9)).toPoint());
    QTRY_VERIFY(window.ShownPointer().startsWith(QStringLiteral("X 36")));
    QVERIFY(window.ShownPointer().contains(QStringLiteral("  depth -")));
    QVERIFY(window.ShownPointer().endsWith(QStringLiteral(" mm")));
    // A line chosen selects its move as drawn from the side: the plunge at X 22.5.
    ChooseLine(*window.OutputText(), 11);
    QVERIFY(Near(Selected(canvas), 22.5, -13, 22.5, 5, 0.01));
    QTest::keyClick(&canvas, Qt::Key_T);
    QCOMPARE(window.ShownView(), PreviewWindow::View::kTop);
  }

  void HighlightsDifferencesAndListsThem() {
    const std::string expected = ReadFileBytes(ExpectedOutput("road").toStdString());
    PreviewProgram output{QStringLiteral("road.nc"),
                          Replaced(expected, "U50", "U-50").toStdString()};
    PreviewWindow window(output, Program(kExamples + "road.nc"), {kRoadTools, &kPart});
    QCOMPARE(window.ShownVerdict(),
             QStringLiteral("differs: 1 difference, first at source line 4, output line 5"));
    // Both arcs of the line: the source's quarter circle around (350, 50), and the output's
    // three quarters around (300, 100) that reach X 250 and Y 150.
    QVERIFY(Near(Drawn(window).at(QStringLiteral("differences")), 250, 50, 350, 150, 0.01));
    const auto* details = window.findChild<QListWidget*>(QStringLiteral("details"));
    QVERIFY(details->item(0)->text().startsWith(QStringLiteral("source line 4, output line 5")));
  }

  void ZoomsAroundThePointerAndFitsWithF() {
    PreviewWindow window(Program(ExpectedOutput("door_profile")),
                         Program(kExamples + "door_profile.nc"), {kShopTools, &kDoorPart});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ToolpathCanvas& canvas = *window.Canvas();
    const double fitted = canvas.Scale();
    const double fittedGrid = canvas.GridStepShown();
    const QPointF pointer = canvas.ToPixel(At(20, 12));
    // Three notches zoom in almost three times: the grid's step, 1, 2 or 5 times a power of ten,
    // must get finer.
    QWheelEvent wheel(pointer, canvas.mapToGlobal(pointer), {}, {0, 720}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&canvas, &wheel);
    QVERIFY(canvas.Scale() > fitted * 2.9);
    QVERIFY(canvas.GridStepShown() < fittedGrid);
    const QPointF stayed = canvas.ToMachine(pointer);
    QVERIFY(std::abs(stayed.x() - 20) < 1e-6 && std::abs(stayed.y() - 12) < 1e-6);
    // Dragging moves the drawing along with the pointer.
    const QPoint from = pointer.toPoint();
    const QPoint to = from + QPoint(30, -20);
    QTest::mousePress(&canvas, Qt::LeftButton, {}, from);
    QMouseEvent drag(QEvent::MouseMove, to, canvas.mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&canvas, &drag);
    QTest::mouseRelease(&canvas, Qt::LeftButton, {}, to);
    QCOMPARE(canvas.ToPixel(At(20, 12)), pointer + QPointF(30, -20));
    QTest::keyClick(&window, Qt::Key_F);
    QCOMPARE(canvas.Scale(), fitted);
  }

  void NamesAFileItCannotReadAndDrawsWithoutASource() {
    TempDir folder;
    DiskFileStore files;
    // A deleted output: named, and its source not painted as one difference.
    PreviewWindow* missing = PreviewWindow::FromFiles(
        files, folder.File("none.nc"), (kExamples + "road.nc").toStdString(), {kRoadTools});
    QVERIFY(missing->ShownVerdict().contains(QStringLiteral("none.nc is not a readable file")));
    QVERIFY(Drawn(*missing).empty());
    delete missing;
    PreviewWindow* alone =
        PreviewWindow::FromFiles(files, ExpectedOutput("road").toStdString(), std::string(),
                                 {kRoadTools});
    QCOMPARE(alone->ShownVerdict(), QStringLiteral("no source program: nothing compared"));
    QVERIFY(Drawn(*alone).count(QStringLiteral("output feeds")) == 1);
    QVERIFY(Drawn(*alone).count(QStringLiteral("source feeds")) == 0);
    delete alone;
  }

  // With QUARNEL_PREVIEW_SCREENSHOTS set to a folder, saves the pictures the user guide shows:
  // preview-window.png (a move selected and pointed at), preview-side.png and preview-difference.png.
  void SavesTheScreenshotsWhenAsked() {
    const QString folder = qEnvironmentVariable("QUARNEL_PREVIEW_SCREENSHOTS");
    if (folder.isEmpty()) QSKIP("QUARNEL_PREVIEW_SCREENSHOTS is not set");
    const auto save = [&folder](PreviewWindow& window, const QString& name) {
      QApplication::processEvents();
      return window.grab().save(folder + QStringLiteral("/") + name, "PNG");
    };
    PreviewWindow window(Program(ExpectedOutput("door_profile")),
                         Program(kExamples + "door_profile.nc"), {kShopTools, &kDoorPart});
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ChooseLine(*window.OutputText(), 12);
    window.Canvas()->FitAll();
    // The pointer on the arc of output line 12, half way round.
    const QPointF onArc(20.375 + std::sqrt(0.5), 2.25 + 1 - std::sqrt(0.5));
    QTest::mouseMove(window.Canvas(), window.Canvas()->ToPixel(onArc).toPoint());
    QVERIFY(save(window, QStringLiteral("preview-window.png")));
    window.ShowView(PreviewWindow::View::kSideX);
    ChooseLine(*window.OutputText(), 23);
    QVERIFY(save(window, QStringLiteral("preview-side.png")));
    const std::string expected = ReadFileBytes(ExpectedOutput("road").toStdString());
    PreviewWindow differs({QStringLiteral("road.nc"), Replaced(expected, "U50", "U-50").toStdString()},
                          Program(kExamples + "road.nc"), {kRoadTools, &kPart});
    differs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&differs));
    differs.findChild<QListWidget*>(QStringLiteral("details"))->setCurrentRow(0);
    differs.Canvas()->FitAll();
    QVERIFY(save(differs, QStringLiteral("preview-difference.png")));
  }
};

QTEST_MAIN(PreviewWindowTest)
#include "preview_window_test.moc"
