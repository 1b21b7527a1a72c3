// The Options sheet's wiring: each page's fields reach its record in the store, the
// example follows the formats, a refusal keeps the sheet open on its page, and a record
// that was not edited is not written over.  The page rules are tested in tests/model.
#include "ManagerFixture.h"

#include "manager/settings/DialogOptions.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>

#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr std::time_t kExample = 1700000000; // 14 Nov 2023 22:13:20 UTC

template <class W> W& Field(QDialog& d, const char* name) {
    W* w = d.findChild<W*>(name);
    if (w == nullptr)
        throw std::runtime_error(std::string("no field ") + name);
    return *w;
}

std::vector<std::string> Rows(const CSnAdvancedSettings& s) {
    std::vector<std::string> rows;
    for (int row = 1; row <= CSnAdvancedSettings::kRows; ++row)
        rows.push_back(s.FormatRow(row).Str());
    return rows;
}

} // namespace

class OptionsDialogTest : public ManagerTest {
protected:
    testsupport::ScopedTimeZone utc;
};

TEST_F(OptionsDialogTest, PagesWriteTheirEditedRecordsOnlyOnceAccepted) {
    ASSERT_NE(Start(), nullptr);
    CSnAdvancedSettings advanced, advancedRead;
    CSnLogSettings log, logRead;
    CSnAutoBackupSettings backup, backupRead;
    CSnDateTimeSettings dateTimeRead;
    ASSERT_EQ(advanced.Read(Seeder()) + log.Read(Seeder()) + backup.Read(Seeder()), 0);

    CDialogOptions d(Ui(), *App()->Store(), kExample, &Frame());
    ASSERT_EQ(d.ReadFailure(), 0);
    EXPECT_EQ(Field<QLineEdit>(d, "logPath").text().toStdString(), Root() + "/Logs\\Log.txt");
    Field<QComboBox>(d, "uncertainMapping").setCurrentIndex(2);
    Field<QSpinBox>(d, "trapPort").setValue(1162);
    Field<QLineEdit>(d, "logPath").setText(QString::fromStdString(Root()) + "/Logs/activity.txt");
    Field<QCheckBox>(d, "syslogEnabled").setChecked(true);
    Field<QCheckBox>(d, "backupDay1").setChecked(true); // Monday
    Field<QLineEdit>(d, "dateFormat").setText("yyyy-mm-dd");
    Field<QLineEdit>(d, "timeFormat").setText("HH:mm");
    EXPECT_EQ(d.Example().text(), "2023-11-14 22:13");
    Field<QSpinBox>(d, "webFrequency").setValue(60);
    for (int page = 0; page < d.Pages().count(); ++page) {
        d.Pages().setCurrentIndex(page);
        const std::string path = std::string(SENTRELLE_TEST_OUTPUT_DIR) + "/options-page-" + std::to_string(page) + ".png";
        EXPECT_TRUE(d.grab().save(QString::fromStdString(path)));
    }
    d.accept(); // refused: syslog without a server
    EXPECT_EQ(Messages(), std::vector<std::string>{"Enter the syslog server."});
    EXPECT_EQ(d.Pages().currentIndex(), 2);
    ASSERT_EQ(dateTimeRead.Read(Seeder()), 0);
    EXPECT_EQ(dateTimeRead.Format(), "mm/dd/yyyy||hh:mm:ss tt");

    // Another Manager changes the statistics limits, which this sheet leaves as they are.
    CSnStatsLimits stats, statsRead;
    stats.Read();
    stats.RpLogFrequencySecs = 600;
    ASSERT_EQ(stats.Write(), 0);
    Field<QLineEdit>(d, "syslogServer").setText("127.0.0.1");
    d.accept();
    ASSERT_EQ(d.result(), QDialog::Accepted);
    EXPECT_TRUE(d.DateTimeWritten());

    advanced.UncertainAsSuccess = true;
    advanced.SnmpTrapRcv.Port = 1162;
    advanced.WebViews.FreqSeconds = 60;
    log.TextLogPath = "<SNROOT>Logs/activity.txt";
    log.SyslogEnabled = true;
    log.SyslogServer = "127.0.0.1";
    backup.Days[CSnAutoBackupSettings::kMonday] = true;
    ASSERT_EQ(advancedRead.Read(Seeder()) + logRead.Read(Seeder()) + backupRead.Read(Seeder()) +
                  dateTimeRead.Read(Seeder()),
              0);
    statsRead.Read();
    EXPECT_EQ(Rows(advancedRead), Rows(advanced));
    EXPECT_TRUE(logRead == log);
    EXPECT_EQ(backupRead.Format(), backup.Format());
    EXPECT_EQ(dateTimeRead.Format(), "yyyy-mm-dd||HH:mm");
    EXPECT_TRUE(statsRead == stats);
}
