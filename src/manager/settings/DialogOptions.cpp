#include "manager/settings/DialogOptions.h"

#include "library/ErrorTexts.h"
#include "library/QvcPath.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/types/DialogServerCredentials.h"
#include "model/settings/OptionsRules.h"
#include "model/store/SnCfg.h"
#include "model/tree/NodeStatus.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimeEdit>
#include <QVBoxLayout>

#include <climits>
#include <utility>

namespace {

QString Q(const CQvcString& text) {
    return QString::fromStdString(text.Str());
}

using Items = std::vector<std::pair<QString, int>>;

// Puts widgets on a form and records how each one's value goes back into its field.
class Binder {
public:
    Binder(QWidget* page, QFormLayout* form, std::vector<std::function<void()>>& collect)
        : m_page(page), m_form(form), m_collect(collect) {}

    QCheckBox* Flag(const char* name, const QString& text, bool& field) {
        auto* box = new QCheckBox(text, m_page);
        box->setObjectName(name);
        box->setChecked(field);
        m_form->addRow(box);
        m_collect.push_back([box, &field] { field = box->isChecked(); });
        return box;
    }
    QLineEdit* Text(const char* name, const QString& label, CQvcString& field,
                    const std::function<QString(const CQvcString&)>& show = Q,
                    const std::function<CQvcString(const QString&)>& store = {}) {
        auto* edit = new QLineEdit(show(field), m_page);
        edit->setObjectName(name);
        m_form->addRow(label, edit);
        m_collect.push_back([edit, &field, store] {
            field = store ? store(edit->text()) : CQvcString(edit->text().toStdString());
        });
        return edit;
    }
    template <class Int> QSpinBox* Number(const char* name, const QString& label, Int& field, int min, int max) {
        auto* spin = new QSpinBox(m_page);
        spin->setObjectName(name);
        spin->setRange(min, max);
        spin->setValue(static_cast<int>(std::min<long long>(field, max)));
        m_form->addRow(label, spin);
        m_collect.push_back([spin, &field] { field = static_cast<Int>(spin->value()); });
        return spin;
    }
    QComboBox* Choice(const char* name, const QString& label, std::int32_t& field, const Items& items) {
        auto* combo = new QComboBox(m_page);
        combo->setObjectName(name);
        for (const auto& [text, value] : items)
            combo->addItem(text, value);
        combo->setCurrentIndex(std::max(0, combo->findData(field)));
        m_form->addRow(label, combo);
        m_collect.push_back([combo, &field] { field = combo->currentData().toInt(); });
        return combo;
    }

private:
    QWidget* m_page;
    QFormLayout* m_form;
    std::vector<std::function<void()>>& m_collect;
};

// A page with one form; `fill` adds its rows.
QWidget* FormPage(std::vector<std::function<void()>>& collect, const std::function<void(Binder&, QFormLayout&)>& fill) {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    Binder bind(page, form, collect);
    fill(bind, *form);
    return page;
}

bool SameAdvanced(const CSnAdvancedSettings& a, const CSnAdvancedSettings& b) {
    for (int row = 1; row <= CSnAdvancedSettings::kRows; ++row)
        if (!(a.FormatRow(row) == b.FormatRow(row)))
            return false;
    return true;
}

const Items kPriorities = {{"0 Emergency", 0}, {"1 Alert", 1},  {"2 Critical", 2},      {"3 Error", 3},
                           {"4 Warning", 4},   {"5 Notice", 5}, {"6 Informational", 6}, {"7 Debug", 7}};

} // namespace

CDialogOptions::CDialogOptions(CUiSeam& ui, CSnCfg& store, std::time_t exampleTime, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_store(store), m_exampleTime(exampleTime) {
    setObjectName("optionsDialog");
    setWindowTitle("Options");
    m_root = Q(store.RootDirectory());
    if (!m_root.isEmpty() && !m_root.endsWith('/'))
        m_root += '/';
    for (long code : {m_read.advanced.Read(store), m_read.log.Read(store), m_read.backup.Read(store),
                      m_read.dateTime.Read(store)})
        if (m_readFailure == 0)
            m_readFailure = code;
    m_read.stats.Read();
    m_edit = m_read;

    m_pages = new QTabWidget(this);
    m_pages->addTab(AdvancedPage(), "General");
    m_pages->addTab(TrapReceiverPage(), "SNMP Trap Receiver");
    m_pages->addTab(LogPage(), "Log");
    m_pages->addTab(BackupPage(), "Automatic Backup");
    m_pages->addTab(DateTimePage(), "Date and Time");
    m_pages->addTab(StatsPage(), "Statistics");
    m_pages->addTab(WebViewPage(), "Web View");

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogOptions::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(m_pages);
    outer->addWidget(buttons);
    ShowExample();
    resize(760, sizeHint().height()); // every tab's title in view

}

QString CDialogOptions::Shown(const CQvcString& stored) const {
    QString text = Q(stored);
    if (text.startsWith(QLatin1String(kEngineRootPlaceholder.data()), Qt::CaseInsensitive))
        text.replace(0, static_cast<int>(kEngineRootPlaceholder.size()), m_root);
    return text;
}

CQvcString CDialogOptions::Stored(const QString& shown) const {
    QString text = shown.trimmed();
    if (!m_root.isEmpty() && text.startsWith(m_root))
        text.replace(0, m_root.size(), QLatin1String(kEngineRootPlaceholder.data()));
    return text.toStdString();
}

QWidget* CDialogOptions::AdvancedPage() {
    CSnAdvancedSettings& s = m_edit.advanced;
    return FormPage(m_collect, [&](Binder& bind, QFormLayout& form) {
        auto* uncertain = new QComboBox;
        uncertain->setObjectName("uncertainMapping");
        uncertain->addItems({"remain uncertain", "count as errors", "count as successes"});
        uncertain->setCurrentIndex(s.UncertainAsError ? 1 : s.UncertainAsSuccess ? 2 : 0);
        form.addRow("Uncertain results of checks that follow the global setting:", uncertain);
        m_collect.push_back([uncertain, &s] {
            s.UncertainAsError = uncertain->currentIndex() == 1;
            s.UncertainAsSuccess = uncertain->currentIndex() == 2;
        });
        bind.Text("powerShellCmd", "&PowerShell command:", s.PowerShellCmd);
        bind.Text("httpLib", "&HTTP library (empty: the system's own):", s.HttpLib);
        auto* credentials = new QPushButton("Server &Credentials...");
        credentials->setObjectName("serverCredentials");
        credentials->setToolTip("The accounts with which the engine connects to other computers; "
                                "the list is saved when its own dialog is closed with OK.");
        form.addRow("Accounts for other computers:", credentials);
        connect(credentials, &QPushButton::clicked, this, [this] {
            CDialogServerCredentials dialog(m_ui, &m_store, QString(), this);
            m_ui.ExecDialog(dialog);
        });
    });
}

QWidget* CDialogOptions::TrapReceiverPage() {
    CSnAdvSnmpTrapRcvSettings& s = m_edit.advanced.SnmpTrapRcv;
    auto shown = [this](const CQvcString& t) { return Shown(t); };
    auto stored = [this](const QString& t) { return Stored(t); };
    return FormPage(m_collect, [&](Binder& bind, QFormLayout&) {
        bind.Flag("trapEnabled", "&Receive SNMP traps", s.Enabled);
        bind.Number("trapPort", "&Port:", s.Port, 1, 65535);
        bind.Choice("trapProtocol", "P&rotocol:", s.Protocol, {{"UDP", 0}, {"TCP", 1}});
        Items statuses;
        for (std::int32_t status = kStatusSuccess; status <= kStatusUncertain; ++status)
            statuses.emplace_back(StatusName(status), status);
        bind.Choice("trapDefaultStatus", "&Default status of a trap:", s.DefaultStatus, statuses);
        bind.Flag("trapAllCommunities", "Accept traps of &all communities", s.AllCommunities);
        bind.Text("trapCommunity", "&Community:", s.Community);
        bind.Flag("trapLogging", "&Log received traps", s.EnableLogging);
        bind.Flag("trapLogToDatabase", "Log them to a data&base (else to a text file)", s.AdoLogging);
        bind.Text("trapDbConnection", "Database connection:", s.AdoLogString, shown, stored);
        bind.Text("trapDbTable", "Database table:", s.AdoLogTable);
        bind.Text("trapTextLog", "&Text log:", s.TextLog, shown, stored);
        bind.Text("trapSeparator", "Text log &separator:", s.TextSeparator);
    });
}

QWidget* CDialogOptions::LogPage() {
    CSnLogSettings& s = m_edit.log;
    return FormPage(m_collect, [&](Binder& bind, QFormLayout& form) {
        bind.Flag("logEnabled", "&Log check results", s.Enabled);
        bind.Flag("logToDatabase", "Log to a data&base (else to text files)", s.ToDatabase);
        bind.Flag("logSystemOnly", "Log s&ystem messages only (no state changes)", s.SystemMessagesOnly);
        bind.Text("logPath", "&Text log:", s.TextLogPath, [this](const CQvcString& t) { return Shown(t); },
                  [this](const QString& t) { return Stored(t); });
        bind.Text("logSeparator", "&Separator:", s.Separator);
        // The log is never smaller than 64 KB.
        s.MaxSizeKB = std::max<std::int32_t>(s.MaxSizeKB, 64);
        bind.Number("logMaxSize", "&Maximum size (KB):", s.MaxSizeKB, 64, INT_MAX);
        bind.Flag("logBackup", "Back up the full log and start a new one (else stop logging)", s.BackupWhenFull);
        auto* syslog = new QLabel("<b>Syslog</b>");
        form.addRow(syslog);
        bind.Flag("syslogEnabled", "Send log messages to a s&yslog server", s.SyslogEnabled);
        bind.Text("syslogServer", "Ser&ver:", s.SyslogServer);
        bind.Number("syslogPort", "&Port:", s.SyslogPort, 1, 65535);
        bind.Flag("syslogTcp", "Use TCP (else UDP)", s.SyslogTcp);
        static const char* const kFacilities[] = {
            "kernel",  "user",    "mail",    "daemon",  "auth",    "syslog",  "lpr",     "news",
            "uucp",    "cron",    "authpriv", "ftp",    "ntp",     "audit",   "alert",   "clock",
            "local0",  "local1",  "local2",  "local3",  "local4",  "local5",  "local6",  "local7"};
        Items facilities;
        for (int i = 0; i < 24; ++i)
            facilities.emplace_back(QString("%1 %2").arg(i).arg(kFacilities[i]), i);
        bind.Choice("syslogFacility", "&Facility:", s.SyslogFacility, facilities);
        bind.Choice("syslogFailure", "Priority of failures:", s.SyslogPriorityFailure, kPriorities);
        bind.Choice("syslogRecovery", "Priority of recoveries:", s.SyslogPriorityRecovery, kPriorities);
        bind.Choice("syslogInfo", "Priority of information:", s.SyslogPriorityInfo, kPriorities);
        bind.Text("syslogMessage", "&Message:", s.SyslogMessage);
    });
}

QWidget* CDialogOptions::BackupPage() {
    CSnAutoBackupSettings& s = m_edit.backup;
    return FormPage(m_collect, [&](Binder& bind, QFormLayout& form) {
        bind.Flag("backupEnabled", "&Back up automatically", s.Enabled);
        static const char* const kDays[] = {"Su", "Mo", "Tu", "We", "Th", "Fr", "Sa"};
        auto* days = new QHBoxLayout;
        for (int day : {1, 2, 3, 4, 5, 6, 0}) {
            auto* box = new QCheckBox(kDays[day]);
            box->setObjectName(QString("backupDay%1").arg(day));
            box->setChecked(s.Days[day]);
            days->addWidget(box);
            m_collect.push_back([box, &s, day] { s.Days[day] = box->isChecked(); });
        }
        form.addRow("Days:", days);
        auto* time = new QTimeEdit(QDateTime::fromSecsSinceEpoch(s.Time).time());
        time->setObjectName("backupTime");
        time->setDisplayFormat("HH:mm");
        form.addRow("&At:", time);
        m_collect.push_back([time, &s] {
            if (time->time() != QDateTime::fromSecsSinceEpoch(s.Time).time())
                s.Time = static_cast<long>(QDateTime(QDate(1970, 1, 3), time->time()).toSecsSinceEpoch());
        });
        static const char* const kWhat[] = {"Configuration file", "Scripts", "Log files", "Report style sheets",
                                            "Web view style sheets"};
        for (int what = 0; what < 5; ++what) {
            auto* box = new QCheckBox(kWhat[what]);
            box->setObjectName(QString("backupWhat%1").arg(what));
            box->setChecked(s.WhatToSave[what]);
            form.addRow(what == 0 ? "Save:" : "", box);
            m_collect.push_back([box, &s, what] { s.WhatToSave[what] = box->isChecked(); });
        }
        bind.Text("backupDirectory", "&Directory:", s.Directory, [this](const CQvcString& t) { return Shown(t); },
                  [this](const QString& t) { return Stored(t); });
    });
}

QWidget* CDialogOptions::DateTimePage() {
    CSnDateTimeSettings& s = m_edit.dateTime;
    return FormPage(m_collect, [&](Binder& bind, QFormLayout& form) {
        m_dateFormat = bind.Text("dateFormat", "&Date format:", s.DateFormat);
        m_timeFormat = bind.Text("timeFormat", "&Time format:", s.TimeFormat);
        m_example = new QLabel;
        m_example->setObjectName("dateTimeExample");
        form.addRow("Example:", m_example);
        form.addRow(new QLabel("yyyy / yy year, mm month (mmm Jan, mmmm January), dd day (ddd Sun, dddd Sunday);\n"
                               "hh hour 01-12, HH hour 00-23, mm minute, ss second, tt AM/PM; '...' literal text."));
        connect(m_dateFormat, &QLineEdit::textChanged, this, &CDialogOptions::ShowExample);
        connect(m_timeFormat, &QLineEdit::textChanged, this, &CDialogOptions::ShowExample);
    });
}

void CDialogOptions::ShowExample() {
    if (m_example == nullptr)
        return;
    CSnDateTimeSettings formats;
    formats.DateFormat = m_dateFormat->text().toStdString();
    formats.TimeFormat = m_timeFormat->text().toStdString();
    m_example->setText(Q(formats.FormatDateTime(m_exampleTime)));
}

QWidget* CDialogOptions::StatsPage() {
    CSnStatsLimits& s = m_edit.stats;
    return FormPage(m_collect, [&](Binder& bind, QFormLayout&) {
        bind.Number("dbSizeLimit", "Statistics database size limit (MB):", s.DbMsaSizeMBLimit, 1, INT_MAX);
        bind.Number("dbSizeWarning", "… warning at (MB):", s.DbMsaSizeMBWarning, 0, INT_MAX);
        bind.Number("rpMsaLimit", "Report records, file database, limit:", s.RpTblMsaRecordLimit, 1, INT_MAX);
        bind.Number("rpMsaWarning", "… warning at:", s.RpTblMsaRecordWarning, 0, INT_MAX);
        bind.Number("rpSqlLimit", "Report records, SQL server, limit:", s.RpTblSqlRecordLimit, 1, INT_MAX);
        bind.Number("rpSqlWarning", "… warning at:", s.RpTblSqlRecordWarning, 0, INT_MAX);
        bind.Number("grMsaLimit", "Graph records, file database, limit:", s.GrTblMsaRecordLimit, 1, INT_MAX);
        bind.Number("grMsaWarning", "… warning at:", s.GrTblMsaRecordWarning, 0, INT_MAX);
        bind.Number("grSqlLimit", "Graph records, SQL server, limit:", s.GrTblSqlRecordLimit, 1, INT_MAX);
        bind.Number("grSqlWarning", "… warning at:", s.GrTblSqlRecordWarning, 0, INT_MAX);
        bind.Number("rpFrequency", "Log report data every (s):", s.RpLogFrequencySecs, 0, INT_MAX);
        bind.Number("grFrequency", "Log graph data every (s):", s.GrLogFrequencySecs, 0, INT_MAX);
        bind.Number("svcWarning", "Service warnings at most every (s):", s.SvcWarningLogIntervalSecs, 0, INT_MAX);
        bind.Number("historyFactor", "History warning factor:", s.HistoryWarningFactor, 0, INT_MAX);
        bind.Number("cleanupHours", "Database clean-up every (hours):", s.DbCleanupIntervalHours, 0, INT_MAX);
        bind.Text("cleanupLog", "Clean-up log file:", s.DbCleanupLog, Q,
                  [](const QString& t) { return CQvcString(t.trimmed().toStdString()); });
    });
}

QWidget* CDialogOptions::WebViewPage() {
    CSnWebViewHeader& s = m_edit.advanced.WebViews;
    return FormPage(m_collect, [&](Binder& bind, QFormLayout&) {
        bind.Flag("webEnabled", "&Publish the web view", s.Enabled);
        bind.Number("webFrequency", "&Refresh every (s):", s.FreqSeconds, 0, INT_MAX);
        bind.Text("webVdir", "Web server's &virtual directory:", s.Vdir);
    });
}

void CDialogOptions::accept() {
    for (const auto& collect : m_collect)
        collect();
    const CQvcString refusals[] = {
        CheckAdvancedOptions(m_edit.advanced),  CheckTrapReceiverOptions(m_edit.advanced.SnmpTrapRcv),
        CheckLogOptions(m_edit.log),            CheckAutoBackupOptions(m_edit.backup),
        CheckDateTimeOptions(m_edit.dateTime),  CheckStatsLimitsOptions(m_edit.stats),
        CheckWebViewOptions(m_edit.advanced.WebViews)};
    for (int page = 0; page < static_cast<int>(std::size(refusals)); ++page) {
        if (!refusals[page].IsEmpty()) {
            m_pages->setCurrentIndex(page);
            m_ui.Message(refusals[page], CUiSeam::Icon::Warning);
            return;
        }
    }
    // Each changed record is written and then counts as stored, so that a retry after a
    // failure writes only what is still missing.
    auto write = [this](bool changed, const std::function<long()>& put, const std::function<void()>& done) {
        if (!changed)
            return true;
        if (const long code = put()) {
            m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
            return false;
        }
        done();
        return true;
    };
    const bool dateTimeChanged = !(m_edit.dateTime.Format() == m_read.dateTime.Format());
    const bool written =
        write(!SameAdvanced(m_edit.advanced, m_read.advanced), [this] { return m_edit.advanced.Write(m_store); },
              [this] { m_read.advanced = m_edit.advanced; }) &&
        write(!(m_edit.log == m_read.log), [this] { return m_edit.log.Write(m_store); },
              [this] { m_read.log = m_edit.log; }) &&
        write(!(m_edit.backup.Format() == m_read.backup.Format()), [this] { return m_edit.backup.Write(m_store); },
              [this] { m_read.backup = m_edit.backup; }) &&
        write(dateTimeChanged, [this] { return m_edit.dateTime.Write(m_store); },
              [this] {
                  m_read.dateTime = m_edit.dateTime;
                  m_dateTimeWritten = true;
              }) &&
        // The limits live in the registry: the stamp is given here, as the records give theirs.
        write(!(m_edit.stats == m_read.stats),
              [this] {
                  const long code = m_edit.stats.Write();
                  if (code == 0)
                      m_store.SignalGlobalSettingsChanged();
                  return code;
              },
              [this] { m_read.stats = m_edit.stats; });
    if (written)
        QDialog::accept();
}
