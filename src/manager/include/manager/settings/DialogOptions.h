#pragma once
// CDialogOptions: "Options", the sheet of the global settings.  Its pages edit the advanced
// settings (the global mapping of uncertain results, the PowerShell command, the HTTP
// library, the server credentials), the SNMP trap receiver, the log, the automatic backup,
// the date and time formats (with an example that follows the edits), the statistics
// limits and the web view header.  OK checks every page in order (the first refusal is
// shown on its page and keeps the sheet open), then writes only the records that changed;
// each write stamps "GlobalSettings" for the engine.  Texts that hold the "<SNROOT>"
// placeholder are shown with the installation root in its place.
#include "model/notify/SnLogSettings.h"
#include "model/settings/SnAdvancedSettings.h"
#include "model/settings/SnAutoBackupSettings.h"
#include "model/settings/SnDateTimeSettings.h"
#include "model/settings/SnStatsLimits.h"

#include <QDialog>

#include <ctime>
#include <functional>
#include <vector>

class CSnCfg;
class CUiSeam;
class QLabel;
class QLineEdit;
class QTabWidget;

class CDialogOptions final : public QDialog {
    Q_OBJECT
public:
    // Reads every record from `store`; ReadFailure tells whether one could not be read.
    // The date and time example shows `exampleTime`.
    CDialogOptions(CUiSeam& ui, CSnCfg& store, std::time_t exampleTime, QWidget* parent = nullptr);

    // The code of the first record that could not be read, 0 when all were.
    long ReadFailure() const { return m_readFailure; }
    // True when OK wrote new date and time formats.
    bool DateTimeWritten() const { return m_dateTimeWritten; }

    void accept() override;

    QTabWidget& Pages() { return *m_pages; }
    QLabel& Example() { return *m_example; }

private:
    // The page builders; each registers how its widgets are copied into the records.
    QWidget* AdvancedPage();
    QWidget* TrapReceiverPage();
    QWidget* LogPage();
    QWidget* BackupPage();
    QWidget* DateTimePage();
    QWidget* StatsPage();
    QWidget* WebViewPage();
    void ShowExample();
    // A stored path with the installation root shown in place of "<SNROOT>", and back.
    QString Shown(const CQvcString& stored) const;
    CQvcString Stored(const QString& shown) const;

    CUiSeam& m_ui;
    CSnCfg& m_store;
    std::time_t m_exampleTime;
    QString m_root;
    long m_readFailure = 0;
    bool m_dateTimeWritten = false;

    struct Records {
        CSnAdvancedSettings advanced;
        CSnLogSettings log;
        CSnAutoBackupSettings backup;
        CSnDateTimeSettings dateTime;
        CSnStatsLimits stats;
    };
    Records m_read; // as stored
    Records m_edit; // as the pages show them

    // Copies the widgets' values into the records, page by page.
    std::vector<std::function<void()>> m_collect;
    QTabWidget* m_pages = nullptr;
    QLineEdit* m_dateFormat = nullptr;
    QLineEdit* m_timeFormat = nullptr;
    QLabel* m_example = nullptr;
};
