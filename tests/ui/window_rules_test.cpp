// The window's value rules: settings texts, cell and dimension entries, file-system roots and
// the system information lookup.
#include <QtTest>
#include <filesystem>
#include <optional>

#include "test_support.h"
#include "ui/entry_rules.h"
#include "ui/file_names.h"
#include "ui/file_roots.h"
#include "ui/setting_values.h"
#include "ui/system_info.h"

using namespace quarnel;
using quarnel::testing::TempDir;

Q_DECLARE_METATYPE(std::optional<bool>)
Q_DECLARE_METATYPE(std::optional<int>)

namespace {

void MakeProgram(const std::string& path, bool executable) {
  quarnel::testing::WriteFileBytes(path, "#!/bin/sh\n");
  std::filesystem::permissions(
      path, executable ? std::filesystem::perms::owner_all : std::filesystem::perms::owner_read);
}

}  // namespace

class WindowRulesTest : public QObject {
  Q_OBJECT

 private slots:
  void ParsesHeadSetting_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<bool>>("expected");
    QTest::newRow("True") << "True" << std::optional<bool>(true);
    QTest::newRow("lower false") << "false" << std::optional<bool>(false);
    QTest::newRow("upper TRUE") << "TRUE" << std::optional<bool>(true);
    QTest::newRow("one with blanks") << " 1 " << std::optional<bool>(true);
    QTest::newRow("zero") << "0" << std::optional<bool>(false);
    QTest::newRow("negative decimal") << "-2.5" << std::optional<bool>(true);
    QTest::newRow("zero point zero") << "0.0" << std::optional<bool>(false);
    QTest::newRow("empty") << "" << std::optional<bool>();
    QTest::newRow("yes") << "yes" << std::optional<bool>();
    QTest::newRow("number then text") << "1x" << std::optional<bool>();
    QTest::newRow("true then text") << "truely" << std::optional<bool>();
  }
  void ParsesHeadSetting() {
    QFETCH(QString, text);
    QFETCH(std::optional<bool>, expected);
    QCOMPARE(ParseBoolSetting(text.toStdString()), expected);
  }

  void ReadsPositionInTwips_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<std::optional<int>>("pixels");
    QTest::newRow("whole") << "1200" << std::optional<int>(80);
    QTest::newRow("missing") << "" << std::optional<int>(0);
    QTest::newRow("not a number") << "left" << std::optional<int>(0);
    QTest::newRow("rounds down") << "7" << std::optional<int>(0);
    QTest::newRow("rounds up") << "8" << std::optional<int>(1);
    QTest::newRow("negative") << "-150" << std::optional<int>(-10);
    QTest::newRow("largest") << "491505" << std::optional<int>(32767);
    QTest::newRow("beyond 16 bits") << "491520" << std::optional<int>();
    QTest::newRow("huge") << "1E30" << std::optional<int>();
  }
  void ReadsPositionInTwips() {
    QFETCH(QString, text);
    QFETCH(std::optional<int>, pixels);
    QCOMPARE(PixelsFromTwipsText(text.toStdString()), pixels);
  }

  void WritesPositionInWholeTwips() {
    QCOMPARE(TwipsTextFromPixels(80), std::string("1200"));
    QCOMPARE(TwipsTextFromPixels(0), std::string("0"));
    QCOMPARE(TwipsTextFromPixels(-10), std::string("-150"));
  }

  // Cells and dimension boxes refuse line breaks and nothing else.
  void RefusesOnlyLineBreaks() {
    for (const char* text : {"40000", "1E39", "1,200", "400 mm", ""}) {
      QVERIFY2(!ToolCellProblem(text) && !DimensionTextProblem(text), text);
    }
    for (const char* text : {"1\n2", "600\r"}) {
      QVERIFY(ToolCellProblem(text) && DimensionTextProblem(text));
    }
  }

  void OrdersNamesNaturallyIgnoringCase() {
    const std::vector<std::pair<std::string, std::string>> before = {
        {"a.nc", "B.nc"},         {"part2.nc", "part10.nc"}, {"part9", "part10a"},
        {"x007", "x8"},           {"x07", "x7"},             {"A.nc", "a.nc"},
        {"part", "part1"},        {"9a", "10"},              {"zeta", "\xC3\xA9t\xC3\xA9"},
        {"x10b", "x12a"},         {"x1", "xa"},              {"_x", "Ax"}};
    for (const auto& [first, second] : before) {
      QVERIFY2(NaturalLess(first, second) && !NaturalLess(second, first), first.c_str());
    }
    QVERIFY(!NaturalLess("same", "same"));
  }

  void KnowsProgramNames() {
    for (const char* name : {"a.nc", "B.NGC", "c.Tap", "d.cnc", "e.gcode", "notes.TXT", "x.y.nc"}) {
      QVERIFY2(IsProgramName(name), name);
    }
    for (const char* name : {"run", "a.nc.bak", "nc", "a.pdf", "a.", "gcode"}) {
      QVERIFY2(!IsProgramName(name), name);
    }
  }

  void ShowsBytesThatAreNotTextEscaped() {
    QCOMPARE(DisplayText("caf\xC3\xA9.nc"), std::string("caf\xC3\xA9.nc"));
    QCOMPARE(DisplayText("caf\xE9.nc"), std::string("caf\\xE9.nc"));
    QCOMPARE(DisplayText("a b\nc\x7F"), std::string("a b\\x0Ac\\x7F"));
    QCOMPARE(DisplayText("\xF0\x9F"), std::string("\\xF0\\x9F"));  // a cut sequence
  }

  void ChoosesWhatADropMeans() {
    const auto kindOf = [](const std::string& path) {
      if (path == "/" || path == "/shop/parts" || path == "/shop/old") return PathKind::kDirectory;
      return path.starts_with("/shop/") ? PathKind::kOther : PathKind::kMissing;
    };
    const auto choose = [&](std::vector<std::string> paths, bool files) {
      const std::optional<DropChoice> choice = ChooseDrop(std::move(paths), files, kindOf);
      if (!choice) return std::string("none");
      std::string text = choice->directory;
      for (const std::string& name : choice->names) text += " " + name;
      return text;
    };
    QCOMPARE(choose({"/shop/parts/"}, false), std::string("/shop/parts"));
    QCOMPARE(choose({"/"}, false), std::string("/"));
    QCOMPARE(choose({"/shop/a.nc", "/shop/b.nc"}, true), std::string("/shop/ a.nc b.nc"));
    QCOMPARE(choose({"/shop/a.nc"}, false), std::string("none"));
    QCOMPARE(choose({"/shop/parts", "/shop/old"}, true), std::string("none"));
    QCOMPARE(choose({"/shop/parts", "/shop/a.nc"}, true), std::string("none"));
    QCOMPARE(choose({"/shop/a.nc", "/shop/x/b.nc"}, true), std::string("none"));
    QCOMPARE(choose({"/gone/a.nc"}, true), std::string("none"));
    QCOMPARE(choose({}, true), std::string("none"));
  }

  void FindsRootsInMounts() {
    const std::string mounts =
        "/dev/sda1 / ext4 rw 0 0\n"
        "/dev/sdb1 /media/ann/USB\\040STICK vfat rw 0 0\n"
        "/dev/sdc1 /mnt/data ext4 rw 0 0\n"
        "tmpfs /run/media/ann/CARD vfat rw 0 0\n"
        "/dev/sda2 /home ext4 rw 0 0\n"
        "tmpfs /media tmpfs rw 0 0\n"
        "/dev/sdc1 /mnt/data ext4 rw 0 0";
    const std::vector<std::string> expected = {"/", "/media/ann/USB STICK", "/mnt/data",
                                               "/run/media/ann/CARD"};
    QCOMPARE(RootsFromMounts(mounts), expected);
    QCOMPARE(RootsFromMounts(""), std::vector<std::string>{"/"});
  }

  void FindsTheRootOfAPath() {
    const std::vector<std::string> roots = {"/", "/media/usb", "/mnt/data"};
    QCOMPARE(RootOf("/media/usb/parts", roots), std::string("/media/usb"));
    QCOMPARE(RootOf("/media/usb", roots), std::string("/media/usb"));
    QCOMPARE(RootOf("/media/usb2/parts", roots), std::string("/"));
    QCOMPARE(RootOf("/", roots), std::string("/"));
    QCOMPARE(RootOf("parts", roots), std::string());
  }

  void FindsTheFirstKnownSystemInfoTool() {
    TempDir first, second;
    MakeProgram(first.File("kinfocenter"), true);
    MakeProgram(second.File("hardinfo"), true);
    MakeProgram(first.File("hardinfo2"), false);  // not executable
    std::filesystem::create_directory(second.File("hardinfo2"));
    const std::string path = first.Path() + "::" + second.Path() + "/";
    QCOMPARE(FindSystemInfoTool(path), std::optional<std::string>(second.File("hardinfo")));
    QCOMPARE(FindSystemInfoTool(first.Path()),
             std::optional<std::string>(first.File("kinfocenter")));
  }

  void FindsNoSystemInfoToolOnAnEmptyPath() {
    TempDir empty;
    QCOMPARE(FindSystemInfoTool(empty.Path()), std::optional<std::string>());
    QCOMPARE(FindSystemInfoTool(""), std::optional<std::string>());
  }
};

QTEST_GUILESS_MAIN(WindowRulesTest)
#include "window_rules_test.moc"
