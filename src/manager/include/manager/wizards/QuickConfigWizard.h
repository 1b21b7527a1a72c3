#pragma once
// The Quick Configuration Wizard: which machines to watch, which sample checks to make for
// them (ping, the common TCP services found open, disk space and memory of this
// computer), an e-mail recipient and mail server; Finish creates the checks in the root
// folder and writes the mail settings, then offers to start the Engine.  What is made for
// which answers is quicksetup::Plan (model/checks/QuickSetup.h).
#include "model/checks/QuickSetup.h"

#include <QWizard>
#include <QWizardPage>

#include <thread>

class CCommandRegistry;
class CQMonApp;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

void RegisterQuickConfigCommands(CQMonApp& app, CCommandRegistry& commands);

class CQuickConfigWizard : public QWizard {
    Q_OBJECT
public:
    CQuickConfigWizard(CQMonApp& app, QWidget* parent);
    CQMonApp& App() { return m_app; }
    quicksetup::Answers& Answers() { return m_answers; }
    // Creates the planned checks and the mail settings; false after a failure was shown.
    bool Create(const QString& recipient, const QString& server);

private:
    CQMonApp& m_app;
    quicksetup::Answers m_answers;
};

class CQuickPageMachines : public QWizardPage {
    Q_OBJECT
public:
    explicit CQuickPageMachines(CQuickConfigWizard& wizard);
    bool validatePage() override;

private:
    CQuickConfigWizard& m_wizard;
    QCheckBox* m_thisComputer;
    QLineEdit* m_hosts;
};

// Probes the machines for the common services in a worker thread when shown; Next waits
// for the answer.
class CQuickPageChecks : public QWizardPage {
    Q_OBJECT
public:
    explicit CQuickPageChecks(CQuickConfigWizard& wizard);
    ~CQuickPageChecks() override;
    void initializePage() override;
    bool isComplete() const override;
    bool validatePage() override;
    bool Probing() const { return m_probing; }

private:
    void Probed(const std::map<std::string, std::vector<int>>& open);

    CQuickConfigWizard& m_wizard;
    QCheckBox* m_ping;
    QCheckBox* m_services;
    QCheckBox* m_diskMemory;
    QLabel* m_found;
    bool m_probing = false;
    std::jthread m_worker;
};

class CQuickPageNotify : public QWizardPage {
    Q_OBJECT
public:
    explicit CQuickPageNotify(CQuickConfigWizard& wizard);
    bool validatePage() override;

private:
    void Test();

    CQuickConfigWizard& m_wizard;
    QLineEdit* m_recipient;
    QLineEdit* m_server;
    QPushButton* m_test;
};
