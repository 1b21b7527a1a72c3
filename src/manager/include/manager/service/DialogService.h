#pragma once
// CDialogService: the Service dialog (Tools > Service...).  It shows the Engine computer,
// the service's display name, its state, and the account it runs under, and offers
// Start, Stop and Restart.  A one-second timer reads the state again and sets the buttons
// (ServiceDialogRules.h holds the table).  The operations go through the service control and
// block while they wait for the service (the wait cursor shows); a failure shows its
// message (3000 to 3007) through the UI seam.
#include "library/QvcBase.h"
#include "library/QvcString.h"
#include "model/service/ISnServiceControl.h"

#include <memory>

#include <QDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <array>

class CUiSeam;

class CDialogService final : public QDialog, private CQvcBase {
    Q_OBJECT
public:
    // An address with help on the accounts a service can run under.
    static constexpr const char* kHelpAddress = "https://sentrelle.invalid/help/service-account";

    // `control`: the service control the dialog asks (null: a CQvcService).
    CDialogService(CUiSeam& ui, const CQvcString& computer, QWidget* parent = nullptr,
                   std::unique_ptr<ISnServiceControl> control = nullptr);

    void SetStartWhenOpened(bool start) { m_startWhenOpened = start; }
    bool StartWhenOpened() const { return m_startWhenOpened; }
    // The opening: the fields' first texts, the buttons disabled, the timer started, and
    // with the start-when-opened flag a Start queued for as soon as the dialog's event
    // loop runs.  The opener calls it before running the dialog.
    void Open();

    // One timer tick: the state, the account and the buttons from a fresh query.
    void OnTimerTick();
    // The buttons: 0 or the operation's code (after its message).
    long OnStart();
    long OnStop();
    long OnRestart();

    // --- what the dialog shows (tests read them) ------------------------------------------
    QString ComputerText() const { return m_computer.text(); }
    QString ServiceText() const { return m_service.text(); }
    QString StateText() const { return m_state.text(); }
    QString AccountText() const { return m_account.text(); }
    QString PasswordText() const { return m_password.text(); }
    QPushButton& StartButton() { return m_start; }
    QPushButton& StopButton() { return m_stop; }
    QPushButton& RestartButton() { return m_restart; }
    QTimer& Timer() { return m_timer; }

private:
    long StartOrStop(bool start);
    void SetButtons(bool start, bool stop, bool restart);

    CUiSeam& m_ui;
    std::unique_ptr<ISnServiceControl> m_control;
    bool m_startWhenOpened = false;
    // The layout before the widgets it holds: the widgets go first when the dialog goes.
    QGridLayout m_grid;
    std::array<QLabel, 5> m_labels;
    QLineEdit m_computer;
    QLineEdit m_service;
    QLineEdit m_state;
    QLineEdit m_account;
    QLineEdit m_password;
    QPushButton m_start;
    QPushButton m_stop;
    QPushButton m_restart;
    QPushButton m_close;
    QLabel m_help;
    QTimer m_timer;
};
