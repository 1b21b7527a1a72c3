// The global settings records: their texts, their defaults, their round trips through
// the database, the write rules and the registry limits.
#include "CfgTestRoot.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/settings/SnAutoBackupSettings.h"
#include "model/settings/SnCfgServerCredentials.h"
#include "model/store/SnCfgSqlite.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/notify/SnLogSettings.h"
#include "model/settings/SnMaintenanceSettings.h"
#include "model/notify/SnMessageTemplate.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnNetPopupSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/settings/SnReportSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"
#include "model/settings/SnStatsLimits.h"
#include "model/settings/SnWebViewSettings.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>
#include <vector>

namespace {

// A component whose advanced-settings write fails for one row, recording the rows tried.
class FailingRowComponent : public CSnCfgSqlite {
public:
    FailingRowComponent(const CQvcString& connection, long failingRow, std::vector<long>& tried)
        : CSnCfgSqlite(connection), m_failingRow(failingRow), m_tried(tried) {}
    void put_AdvancedSettings(long row, const CQvcString& text) override {
        m_tried.push_back(row);
        if (row == m_failingRow) {
            if (Ready())
                SetError(25196);
            return;
        }
        CSnCfgSqlite::put_AdvancedSettings(row, text);
    }

private:
    long m_failingRow;
    std::vector<long>& m_tried;
};

// Field values of their own, unlike every default: a field that is not stored, or stored
// in another field's place, comes back different.
void Distinct(CQvcString& field, int n) {
    field = CQvcString("value ") + CQvcString(n);
}
void Distinct(std::int32_t& field, int n) {
    field = 1000 + n;
}
void Distinct(bool& field, int) {
    field = !field;
}
std::string Describe(const CQvcString& field) {
    return field.Str();
}
std::string Describe(std::int32_t field) {
    return std::to_string(field);
}
std::string Describe(bool field) {
    return field ? "true" : "false";
}

template <class Settings> std::vector<std::string> FieldTexts(const Settings& s) {
    std::vector<std::string> texts;
    Settings::Fields(s, [&](int property, const char*, const auto& field) {
        texts.push_back(std::to_string(property) + "=" + Describe(field));
    });
    return texts;
}

// Writes `written` and gives what a fresh object reads back.
template <class Settings> Settings ReadBack(CSnCfg& store, const Settings& written) {
    EXPECT_EQ(written.Write(store), 0) << typeid(Settings).name();
    Settings read;
    EXPECT_EQ(read.Read(store), 0) << typeid(Settings).name();
    return read;
}

// Every field set to a value of its own comes back from the database; and a row that
// holds only its key, as a writer that knew fewer columns leaves it, reads back as the
// defaults, since the schema takes each column's default from the field list.
template <class Settings> void ExpectEveryFieldRoundTrips(CSnCfg& store, const std::string& table) {
    Settings written;
    int n = 0;
    Settings::Fields(written, [&](int, const char*, auto& field) { Distinct(field, ++n); });
    EXPECT_EQ(FieldTexts(ReadBack(store, written)), FieldTexts(written)) << table;
    Sql(store.ConfigFilePath().Str(),
        "DELETE FROM \"" + table + "\"; INSERT INTO \"" + table + "\" (\"ID\") VALUES (1)");
    ASSERT_EQ(written.Read(store), 0) << table;
    EXPECT_EQ(FieldTexts(written), FieldTexts(Settings())) << table;
}

int LocalHour(long t) {
    return platform::ToLocalTime(static_cast<std::time_t>(t)).hour;
}
int LocalMinute(long t) {
    return platform::ToLocalTime(static_cast<std::time_t>(t)).minute;
}

class SnSettingsTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(store.Open(), 0); }
    CfgTestRoot root;
    CSnCfg store;
};

} // namespace

TEST(SnAdvancedSettingsText, RowsReadWithTheirRules) {
    const CSnAdvancedSettings defaults;
    CSnAdvancedSettings s;
    // A port of 0 is no port; an empty row gives the defaults back.
    s.ParseRow(6, "Port:=0");
    EXPECT_EQ(s.SnmpTrapRcv.Port, 162);
    s.ParseRow(6, "Enabled:=1;;Community:=x");
    s.ParseRow(6, "");
    EXPECT_EQ(s.FormatRow(6), defaults.FormatRow(6));
    // Rule not-zero: anything but "0" is set.
    s.ParseRow(6, "Enabled:=yes;;AllCommunities:=2;;EnableLogging:=0;;Port:=1162");
    EXPECT_EQ((std::vector<long>{s.SnmpTrapRcv.Enabled, s.SnmpTrapRcv.AllCommunities, s.SnmpTrapRcv.EnableLogging,
                                 s.SnmpTrapRcv.Port}),
              (std::vector<long>{1, 1, 0, 1162}));

    // Rule one-only: only "1" is set.
    s.ParseRow(1, "UncertainAsError:=yes;;UncertainAsSuccess:=1");
    EXPECT_EQ(s.FormatRow(1), "UncertainAsError:=0;;UncertainAsSuccess:=1");

    // A library named without a directory is the system's own: not kept.
    s.ParseRow(2, "HttpLib:=winhttp.dll");
    EXPECT_TRUE(s.HttpLib.IsEmpty());
    s.ParseRow(2, "HttpLib:=C:\\libs\\winhttp.dll");
    EXPECT_EQ(s.HttpLib, "C:\\libs\\winhttp.dll");
    s.ParseRow(7, "");
    EXPECT_EQ(s.PowerShellCmd, defaults.PowerShellCmd);
    EXPECT_EQ(s.FormatRow(3) + s.FormatRow(4), "ReservedReserved");

    // Row 6 written and read back keeps every field.
    CSnAdvancedSettings w;
    w.SnmpTrapRcv.Enabled = true;
    w.SnmpTrapRcv.Port = 2162;
    w.SnmpTrapRcv.Community = "private";
    w.SnmpTrapRcv.AdoLogging = false;
    w.SnmpTrapRcv.TextSeparator = "|";
    CSnAdvancedSettings r;
    r.ParseRow(6, w.FormatRow(6));
    EXPECT_EQ(r.FormatRow(6), w.FormatRow(6));
    EXPECT_NE(r.FormatRow(6), defaults.FormatRow(6));
    // A very long value is cut at the buffer of 2048 characters.
    w.SnmpTrapRcv.TextLog = CQvcString(std::string(5000, 'x'));
    EXPECT_EQ(w.FormatRow(6).Length(), 2047u);
    w.HttpLib = CQvcString(std::string(5000, '\\'));
    EXPECT_EQ(w.FormatRow(2).Length(), 5009u);
}

TEST_F(SnSettingsTest, AdvancedSettingsRoundTripStopsAtTheFailingRow) {
    std::vector<long> tried;
    CSnCfg failing("GUI",
                   [&](const CQvcString& c) { return std::make_unique<FailingRowComponent>(c, 4, tried); });
    ASSERT_EQ(failing.Open(), 0);
    tried.clear();
    CSnAdvancedSettings s;
    s.UncertainAsError = true;
    s.PowerShellCmd = "changed";
    root.ForgetStamps();
    EXPECT_EQ(s.Write(failing), 25196);
    EXPECT_EQ(tried, (std::vector<long>{1, 2, 3, 4}));
    EXPECT_TRUE(root.Stamp("GlobalSettings").empty());
    // Rows 1 to 3 were written, row 7 was not.
    CSnAdvancedSettings r;
    ASSERT_EQ(r.Read(store), 0);
    EXPECT_TRUE(r.UncertainAsError);
    EXPECT_EQ(r.PowerShellCmd, "powershell.exe");

    // Without the failure every row comes back, and the change is signalled.
    s.HttpLib = "D:\\http\\lib.dll";
    s.WebViews = {true, 90, "status"};
    s.SnmpTrapRcv.DefaultStatus = 2;
    ASSERT_EQ(s.Write(store), 0);
    EXPECT_FALSE(root.Stamp("GlobalSettings").empty());
    ASSERT_EQ(r.Read(store), 0);
    for (int row = 1; row <= 7; ++row)
        EXPECT_EQ(r.FormatRow(row), s.FormatRow(row)) << row;

    // A failed read leaves the values as they were.
    CSnAdvancedSettings kept;
    kept.PowerShellCmd = "mine";
    ASSERT_TRUE(platform::DeleteFile(root.ConfigFile()));
    EXPECT_EQ(kept.Read(store), 25004);
    EXPECT_EQ(kept.PowerShellCmd, "mine");
}

TEST(SnAutoBackupText, ReadsSchedulesWhatAndTime) {
    CSnAutoBackupSettings s;
    // A schedule without a time keeps the default time of 06:00 local.
    s.Parse("BackupSchedules:=1");
    EXPECT_EQ(s.Days, (std::array<bool, 7>{false, true, false, false, false, false, false}));
    EXPECT_EQ(std::make_pair(LocalHour(s.Time), LocalMinute(s.Time)), std::make_pair(6, 0));

    s.Parse("BackupSchedules:=0000000||3600;;BackupWhat:=10101;;BackupEnabled:=1;;BackupDirectory:=/srv/b");
    EXPECT_EQ(s.Format(), "BackupEnabled:=1;;BackupSchedules:=0000000||3600;;BackupWhat:=10101;;"
                          "BackupDirectory:=/srv/b");

    // Sunday is the last digit of the stored text.
    s.Days = {};
    s.Days[CSnAutoBackupSettings::kSunday] = true;
    s.Days[CSnAutoBackupSettings::kMonday] = true;
    s.Time = 7200;
    s.WhatToSave = {false, true, false, false, false};
    EXPECT_EQ(s.Format(), "BackupEnabled:=1;;BackupSchedules:=1000001||7200;;BackupWhat:=01000;;"
                          "BackupDirectory:=/srv/b");
    CSnAutoBackupSettings back;
    back.Parse(s.Format());
    EXPECT_EQ(back.Format(), s.Format());
    back.Parse("BackupEnabled:=true");
    EXPECT_FALSE(back.Enabled);
}

TEST(SnDateTimeAndCredentialsText, SplitAndJoin) {
    CSnDateTimeSettings d;
    d.Parse("  dd.mm.yyyy  ");
    EXPECT_EQ(d.Format(), "dd.mm.yyyy||hh:mm:ss tt");
    d.Parse("||HH:mm");
    EXPECT_EQ(d.Format(), "mm/dd/yyyy||HH:mm");
    d.Parse("");
    EXPECT_EQ(d.Format(), "mm/dd/yyyy||hh:mm:ss tt");

    CSnCfgServerCredentials c;
    c.Parse(" srv1 ;; admin ;; E0F1 || srv2;;svc;;||||srv3;;x;;y");
    // Stops at the empty entry.
    EXPECT_EQ(c.Entries, (std::vector<CSnCfgServerCredentials::Entry>{{"srv1", "admin", "E0F1"}, {"srv2", "svc", ""}}));
    EXPECT_EQ(c.Format(), "srv1;;admin;;E0F1||srv2;;svc;;");
    EXPECT_NE(c.Find("SRV2"), nullptr);
    EXPECT_EQ(c.Find("srv3"), nullptr);
}

TEST_F(SnSettingsTest, TextTablesRoundTripThroughTheDatabase) {
    CSnAutoBackupSettings backup;
    backup.Enabled = true;
    backup.Time = 4000;
    EXPECT_EQ(ReadBack(store, backup).Format(), backup.Format());
    CSnDateTimeSettings formats;
    formats.DateFormat = "yyyy-mm-dd";
    EXPECT_EQ(ReadBack(store, formats).Format(), formats.Format());
    CSnMaintenanceSettings maintenance;
    maintenance.Schedule.SetText("e1|e2");
    EXPECT_EQ(ReadBack(store, maintenance).Schedule.Text(), "e1|e2");
    CSnCfgServerCredentials credentials;
    credentials.Entries.push_back({"dc01", "CORP\\admin", CQvcString::Scramble("pw")});
    EXPECT_EQ(ReadBack(store, credentials).Entries, credentials.Entries);
    CSnNetPopupSettings popup;
    popup.Enabled = true;
    root.ForgetStamps();
    EXPECT_TRUE(ReadBack(store, popup).Enabled);
    EXPECT_FALSE(root.Stamp("GlobalSettings").empty());
}

TEST_F(SnSettingsTest, ChannelRecordsRoundTripEveryField) {
    // Defaults come out of a new configuration as the classes define them.
    CSnSmtpSettings smtp;
    ASSERT_EQ(smtp.Read(store), 0);
    EXPECT_EQ(FieldTexts(smtp), FieldTexts(CSnSmtpSettings()));

    ExpectEveryFieldRoundTrips<CSnSmtpSettings>(store, "SmtpSettings");
    ExpectEveryFieldRoundTrips<CSnSmsSettings>(store, "SmsSettings");
    ExpectEveryFieldRoundTrips<CSnPagerSettings>(store, "PagerSettings");
    ExpectEveryFieldRoundTrips<CSnMsnSettings>(store, "MsnSettings");
    ExpectEveryFieldRoundTrips<CSnLogSettings>(store, "LogSettings");
    ExpectEveryFieldRoundTrips<CSnReportSettings>(store, "ReportSettings");
    ExpectEveryFieldRoundTrips<CSnSnmpTrapsSettings>(store, "SnmpTrapsSettings");

    CSnMessageTemplate t;
    ASSERT_EQ(t.Read(store, 1), 0);
    EXPECT_EQ(t.NotificationTypeId, 1);
    t.Body = "changed||body";
    ASSERT_EQ(t.Write(store), 0);
    CSnMessageTemplate t2;
    ASSERT_EQ(t2.Read(store, 1), 0);
    EXPECT_EQ(t2.Read(store, 42), 25141);
    EXPECT_EQ(t2.Body, "changed||body"); // a failed read keeps the values
}

// Imports copy tables column by column in order and files already in use are read by
// column name, so every column keeps its table, place, name and type.  The fingerprint
// (64-bit FNV-1a of "table.column:type" lines) changes only with a deliberate change.
TEST_F(SnSettingsTest, ColumnsKeepTheNamesAndPlacesOfExistingFiles) {
    std::string columns =
        Query(root.ConfigFile(), "SELECT m.name || '.' || p.name || ':' || p.type FROM sqlite_master m, "
                                 "pragma_table_info(m.name) p WHERE m.type = 'table' ORDER BY m.name, p.cid");
    std::erase(columns, '|');
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : columns)
        hash = (hash ^ c) * 1099511628211ull;
    EXPECT_EQ(hash, 12884849414983455902ull) << columns;
}

TEST_F(SnSettingsTest, WebViewsAndTheRegistryVirtualDirectory) {
    CSnWebViewSettings w;
    ASSERT_EQ(w.Read(store), 0);
    EXPECT_TRUE(w.Views[0].IsEmpty());
    w.Header.Enabled = true;
    w.Header.FreqSeconds = 60;
    int n = 0;
    CSnWebView::Fields(w.Views[3], [&](int, const char*, auto& field) { Distinct(field, ++n); });
    ASSERT_EQ(w.Write(store), 0);

    CSnWebViewSettings r;
    r.Views[5].Name = "stale";
    ASSERT_EQ(r.Read(store), 0);
    EXPECT_TRUE(r.Header.Enabled && r.Header.FreqSeconds == 60);
    EXPECT_EQ(FieldTexts(r.Views[3]), FieldTexts(w.Views[3]));
    EXPECT_TRUE(r.Views[5].IsEmpty()); // cleared before it was read

    // An installer's virtual directory is taken over once at Open and removed.
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "ishieldvdir", "sentrelle-web");
    CSnCfg other;
    ASSERT_EQ(other.Open(), 0);
    CSnWebViewSettings after;
    ASSERT_EQ(after.Read(other), 0);
    EXPECT_EQ(after.Header.Vdir, "sentrelle-web");
    EXPECT_EQ(FieldTexts(after.Views[3]), FieldTexts(w.Views[3]));
    std::string value;
    EXPECT_EQ(platform::RegQueryString(platform::Hive::LocalMachine, kProductKey, "ishieldvdir", &value),
              platform::kRegNotFound);
}

TEST(SnStatsLimits, DefaultsAndAdjustmentsAreWrittenBack) {
    testsupport::ScopedHives hives;
    const char* key = "Software\\Quorvane\\Sentrelle\\Stats";
    const auto hive = platform::Hive::LocalMachine;
    ASSERT_EQ(platform::RegCreateKey(hive, key, platform::kRegAllAccess), platform::kRegOk);
    platform::RegSetDword(hive, key, "RpLogFrequencySecs", 5);
    platform::RegSetDword(hive, key, "DbMsaSizeMBLimit", 100);
    platform::RegSetDword(hive, key, "DbMsaSizeMBWarning", 500);
    platform::RegSetDword(hive, key, "DbCleanupIntervalHours", 1);
    platform::RegSetDword(hive, key, "HistoryWarningFactor", 0);
    platform::RegSetString(hive, key, "DbCleanupLog", "  /var/log/x  ");
    CSnStatsLimits s;
    s.Read();
    EXPECT_EQ((std::vector<std::uint32_t>{s.RpLogFrequencySecs, s.DbMsaSizeMBWarning, s.DbCleanupIntervalHours,
                                          s.HistoryWarningFactor, s.GrTblSqlRecordLimit}),
              (std::vector<std::uint32_t>{10, 100, 24, 1, 2000000000}));
    EXPECT_EQ(s.DbCleanupLog, "/var/log/x");
    // Adjusted values are written back; a default appears on first use.
    auto stored = [&](const char* name) {
        std::uint32_t v = 0;
        platform::RegQueryDword(hive, key, name, &v);
        return v;
    };
    EXPECT_EQ((std::vector<std::uint32_t>{stored("RpLogFrequencySecs"), stored("DbMsaSizeMBWarning"),
                                          stored("GrLogFrequencySecs")}),
              (std::vector<std::uint32_t>{10, 100, 300}));
}
