// TimeSettingsDialog: the stored values shown, OK only for usable values, and OK storing them
// where the batch, the preview and quarnel-convert read them.
#include "ui/time_settings_dialog.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include "support/file_store.h"
#include "support/setting_keys.h"
#include "support/settings_store.h"

using namespace quarnel;

class TimeSettingsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void ShowsTheStoredValuesAndStoresOnlyUsableOnes() {
    MemoryFileStore files;
    IniStore settings(files, "/app/Quarnel.INI");
    settings.IniWrite(setting::kMachiningTime, setting::kRapidRate, "abc");  // the default shows
    settings.IniWrite(setting::kMachiningTime, setting::kToolChangeTime, "6.5");
    TimeSettingsDialog dialog(settings);
    auto* rate = dialog.findChild<QLineEdit*>(QStringLiteral("rapidRate"));
    auto* change = dialog.findChild<QLineEdit*>(QStringLiteral("toolChangeTime"));
    QPushButton* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    QCOMPARE(rate->text(), QStringLiteral("20000"));
    QCOMPARE(change->text(), QStringLiteral("6.5"));
    rate->setText(QStringLiteral("0"));
    QVERIFY(!ok->isEnabled());
    dialog.accept();  // refused: nothing stored
    QCOMPARE(settings.IniRead(setting::kMachiningTime, setting::kRapidRate), std::string("abc"));
    rate->setText(QStringLiteral(" 36000 "));
    QVERIFY(ok->isEnabled());
    ok->click();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(ReadTimeSettings(settings), (MachiningTimeSettings{36000, 6.5}));
  }
};

QTEST_MAIN(TimeSettingsDialogTest)
#include "time_settings_dialog_test.moc"
