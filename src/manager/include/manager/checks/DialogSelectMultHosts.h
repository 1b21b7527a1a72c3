#pragma once
// CDialogSelectMultHosts ("Select Computer / IP Address"): chooses the targets of a check.
// Three sources fill result lists whose "<< Copy" adds to the target list ("Target
// Computers / Devices"): the computers of a directory (optionally only those of a server
// role), the addresses of an IPv4 range (listed at once, or those that answer a ping or a
// TCP port), and a host typed by hand.  The target list can be saved to and loaded from
// a file.  Opened from a type dialog's "..." button with the Host field's text; OK writes
// TargetText() back into the field.
//
// Scans run on discovery threads that report through a post sink on the GUI thread; Stop
// and closing the dialog stop them.  The rules (range start, copying, role filter, limits)
// live in model/checks/TargetSelection.h; this class only wires them.
#include "model/checks/ServerList.h"
#include "model/checks/TypeDialogRules.h"
#include "model/discovery/Discovery.h"

#include <QDialog>

#include <cstddef>
#include <map>
#include <memory>
#include <string>

class CGuiPostSink;
class CSnCfg;
class CUiSeam;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;
struct QvcMessage;

class CDialogSelectMultHosts final : public QDialog {
    Q_OBJECT
public:
    // `hosts` is the Host field's text; `limits.Creating` allows several targets.
    CDialogSelectMultHosts(QWidget* parent, CUiSeam& seam, CSnCfg* cfg, const QString& hosts,
                           const HostCheckLimits& limits);
    ~CDialogSelectMultHosts() override;

    // The target list as the Host field takes it (entries joined by ",").
    QString TargetText() const;
    const CServerList& Targets() const { return m_targets; }

    // OK: the creation limits (61692, 61693), then closes.
    void accept() override;
    // Closing stops the scans.
    void done(int result) override;

    // --- the buttons ------------------------------------------------------------------
    void StartStopDirectory();
    void StartStopIPRange();
    // "<< Copy" of a result list takes its selected rows, or all rows when none is selected.
    void CopyDirectoryResults();
    void CopyIPResults();
    void CopyManualHost();
    void RemoveSelectedTargets();
    void SaveToFile();
    void LoadFromFile();

    // --- for tests and screenshots ----------------------------------------------------
    QLineEdit& Domain() { return *m_domain; }
    QComboBox& Role() { return *m_role; }
    QLineEdit& CustomServices() { return *m_customServices; }
    QTreeWidget& DirectoryResults() { return *m_dirResults; }
    QLineEdit& IPFrom() { return *m_ipFrom; }
    QLineEdit& IPTo() { return *m_ipTo; }
    QLineEdit& Port() { return *m_port; }
    QComboBox& ScanMode() { return *m_scanMode; }
    QCheckBox& UseHostname() { return *m_useHostname; }
    QPushButton& IPStartButton() { return *m_ipStart; }
    QTreeWidget& IPResults() { return *m_ipResults; }
    QLineEdit& ManualHost() { return *m_manualHost; }
    QListWidget& TargetList() { return *m_targetList; }
    QLabel& Note() { return *m_note; }
    bool IPScanRunning() const { return m_ipScan != nullptr; }

private:
    QWidget* BuildDirectoryPage();
    QWidget* BuildIPRangePage();
    QWidget* BuildManualPage();
    void OnMessage(const QvcMessage& message);
    void AddResults(QTreeWidget& list, const std::vector<CDiscoveredHost>& hosts);
    void Copy(QTreeWidget& list, bool fullNames);
    void Take(const CServerList& entries, bool replace);
    void ShowTargets();
    // Shows a refusal (error or warning icon by its number) and focuses `field`; false when refused.
    bool Passes(const DialogRefusal& refusal, QWidget* field = nullptr);
    void IPScanEnded();
    void DirectoryEnded();
    void StopScans();

    CUiSeam& m_seam;
    CSnCfg* m_cfg;
    HostCheckLimits m_limits;
    CServerList m_targets;
    CWinRoleDefList m_roles;
    std::map<std::string, std::size_t> m_ipOrder; // each address of the range: its place in it
    CGuiPostSink* m_sink = nullptr;
    std::unique_ptr<CThreadDiscoverIP> m_ipScan;
    std::unique_ptr<CThreadDiscoverWin> m_dirScan;

    QLineEdit* m_domain = nullptr;
    QCheckBox* m_useFqdn = nullptr;
    QComboBox* m_role = nullptr;
    QLineEdit* m_customServices = nullptr;
    QPushButton* m_dirStart = nullptr;
    QTreeWidget* m_dirResults = nullptr;
    QLineEdit* m_ipFrom = nullptr;
    QLineEdit* m_ipTo = nullptr;
    QLineEdit* m_port = nullptr;
    QComboBox* m_scanMode = nullptr;
    QCheckBox* m_useHostname = nullptr;
    QPushButton* m_ipStart = nullptr;
    QProgressBar* m_progress = nullptr;
    QTreeWidget* m_ipResults = nullptr;
    QLineEdit* m_manualHost = nullptr;
    QListWidget* m_targetList = nullptr;
    QLabel* m_note = nullptr;
};
