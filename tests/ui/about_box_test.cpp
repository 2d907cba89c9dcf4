// AboutBox: its texts, the keys that close it and the system information button.
#include "ui/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>
#include <filesystem>

#include "test_support.h"
#include "ui_test_support.h"

using namespace quarnel;
using quarnel::testing::MessageLog;
using quarnel::testing::TempDir;

namespace {

QString LabelText(const QWidget& box, const char* name) {
  const auto* label = box.findChild<QLabel*>(QString::fromLatin1(name));
  return label != nullptr ? label->text() : QStringLiteral("<missing>");
}

// An about box whose system information lookup uses searchPath, recording starts and messages.
struct AboutFixture {
  MessageLog messages;
  std::vector<std::string> started;
  AboutBox box;

  explicit AboutFixture(const std::string& searchPath, bool startSucceeds = true)
      : box(nullptr, Access(searchPath, startSucceeds)) {}

  SystemInfoAccess Access(const std::string& searchPath, bool startSucceeds) {
    SystemInfoAccess access;
    access.searchPath = searchPath;
    access.start = [this, startSucceeds](const std::string& program) {
      started.push_back(program);
      return startSucceeds;
    };
    access.showMessage = messages.Function();
    return access;
  }
};

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsNameVersionAndDescription() {
    AboutBox box;
    QCOMPARE(box.windowTitle(), QStringLiteral("About Ostrevan"));
    QCOMPARE(LabelText(box, "title"), QStringLiteral("Ostrevan"));
    QVERIFY(box.findChild<QLabel*>("title")->font().bold());
    QCOMPARE(LabelText(box, "version"), QStringLiteral("Version 1.0.4"));
    QCOMPARE(LabelText(box, "description"),
             QStringLiteral("Program for generating machining centre G-code from standard router "
                            "G-code. Ostrevan is Quarnel's short name."));
    const auto* description = box.findChild<QLabel*>(QStringLiteral("description"));
    QVERIFY(description->heightForWidth(description->width()) <= description->height());  // whole
    QVERIFY(!LabelText(box, "notice").isEmpty());
    QVERIFY(!LabelText(box, "disclaimer").isEmpty());
    QCOMPARE(box.findChild<QPushButton*>("systemInfoButton")->text(), QStringLiteral("&System Info..."));
    QCOMPARE(box.size(), QSize(382, 244));
    QVERIFY(!(box.windowFlags() & Qt::WindowMaximizeButtonHint));
    QVERIFY(!(box.windowFlags() & Qt::WindowMinimizeButtonHint));
  }

  void EnterAndEscapeCloseIt_data() {
    QTest::addColumn<int>("key");
    QTest::newRow("Enter") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
  }
  void EnterAndEscapeCloseIt() {
    QFETCH(int, key);
    AboutBox box;
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(QApplication::focusWidget(), box.findChild<QPushButton*>("okButton"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
    QVERIFY(!box.isVisible());
  }

  void ReturnsFromItsModalRunWhenOkIsPressed() {
    AboutBox box;
    quarnel::testing::WhenModalShown([](QWidget& modal) {
      QTest::mouseClick(modal.findChild<QPushButton*>("okButton"), Qt::LeftButton);
    });
    box.exec();
    QVERIFY(!box.isVisible());
  }

  void StartsTheToolFoundOnTheSearchPath() {
    TempDir tools;
    const std::string program = tools.File("gnome-system-monitor");
    quarnel::testing::WriteFileBytes(program, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    AboutFixture about(tools.Path());
    QTest::mouseClick(about.box.findChild<QPushButton*>("systemInfoButton"), Qt::LeftButton);
    QCOMPARE(about.started, std::vector<std::string>{program});
    QVERIFY(about.messages.Entries().empty());
  }

  void SaysUnavailableWithoutATool() {
    TempDir empty;
    AboutFixture about(empty.Path());
    about.box.StartSysInfo();
    QVERIFY(about.started.empty());
    QCOMPARE(about.messages.Entries().size(), std::size_t(1));
    const auto& message = about.messages.Entries().front();
    QCOMPARE(message.title, QStringLiteral("Ostrevan"));
    QCOMPARE(message.text, QStringLiteral("System Information Is Unavailable At This Time"));
    QCOMPARE(message.icon, QMessageBox::NoIcon);
  }

  void SaysUnavailableWhenTheToolDoesNotStart() {
    TempDir tools;
    const std::string program = tools.File("hardinfo");
    quarnel::testing::WriteFileBytes(program, "#!/bin/sh\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    AboutFixture about(tools.Path(), false);
    about.box.StartSysInfo();
    QCOMPARE(about.started.size(), std::size_t(1));
    QCOMPARE(about.messages.Entries().size(), std::size_t(1));
  }

  void RealStartRunsTheProgramDetached() {
    TempDir tools;
    const std::string marker = tools.File("started");
    const std::string program = tools.File("hardinfo2");
    quarnel::testing::WriteFileBytes(program, "#!/bin/sh\ntouch '" + marker + "'\n");
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    SystemInfoAccess access;
    access.searchPath = tools.Path();
    MessageLog messages;
    access.showMessage = messages.Function();
    AboutBox box(nullptr, access);
    box.StartSysInfo();
    QTRY_VERIFY_WITH_TIMEOUT(quarnel::testing::FileExists(marker), 10000);
    QVERIFY(messages.Entries().empty());
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
