#pragma once
// CPropSheetServer: the modal property sheet through which one check is created or
// changed.  Four pages, in order: General, Notifications, Actions, Advanced.  The sheet
// edits the caller's node N only when it is confirmed (every page's fields checked, then
// each page writes its part); it never writes to the store: the caller saves N.
//
// The type-specific settings, the schedule and the maintenance windows are edited on a
// working copy W of N, so that a cancelled sheet leaves N as it was.
#include "manager/checks/CheckDialogRegistry.h"
#include "model/checks/ServerList.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QTabWidget>

#include <cstdint>
#include <memory>

class CPropPageServerActions;
class CPropPageServerAdvanced;
class CPropPageServerNotifications;
class CPropPageServerProps;
class CSnCfg;
class CSnNode;
class CUiSeam;

class CPropSheetServer final : public QDialog {
    Q_OBJECT
public:
    struct Setup {
        CUiSeam& seam;
        const CCheckDialogRegistry& dialogs;
        CSnCfg* cfg = nullptr;
        // Given only while a new check is made: refilled from the Host field on OK.
        CServerList* hosts = nullptr;
        std::int32_t presetType = 0;
    };

    CPropSheetServer(CSnNode& node, const Setup& setup, QWidget* parent = nullptr);
    ~CPropSheetServer() override;

    // Runs the sheet through the UI seam; CUiSeam::kAccepted only when it was confirmed
    // (every page accepted its fields and wrote them into N).
    int Run();

    // --- what the pages share ---------------------------------------------------------
    CSnNode& Node() { return m_node; }
    CSnNode& Work() { return *m_work; }
    const Setup& Context() const { return m_setup; }
    CheckDialogContext DialogContext() const;
    int Mode() const { return m_mode; }
    void SetMode(int mode);
    // The title for the current display name, placed centred on the parent then 100
    // pixels up and left.
    void UpdateTitle(const QString& displayName, bool hasType);

    // --- for tests and the screenshot ----------------------------------------------------
    QTabWidget& Tabs() { return m_tabs; }
    CPropPageServerProps& General() { return *m_general; }
    CPropPageServerNotifications& Notifications() { return *m_notifications; }
    CPropPageServerActions& Actions() { return *m_actions; }
    CPropPageServerAdvanced& Advanced() { return *m_advanced; }
    // Presses OK: checks every page (the failing one is shown with its message) and, when
    // all pass, writes them into N and closes.
    void accept() override;

private:
    // The page's refusal is shown; false when it refused.
    bool PageAccepts(int index);
    void OnTabChanged(int index);

    CSnNode& m_node;
    Setup m_setup;
    std::unique_ptr<CSnNode> m_work;
    int m_mode = 0;
    bool m_confirmed = false;
    int m_shownTab = 0;
    bool m_switching = false;
    QTabWidget m_tabs;
    QDialogButtonBox m_buttons;
    CPropPageServerProps* m_general = nullptr;
    CPropPageServerNotifications* m_notifications = nullptr;
    CPropPageServerActions* m_actions = nullptr;
    CPropPageServerAdvanced* m_advanced = nullptr;
};
