#pragma once
// CDialogTestBase: the modal dialog that sends one test notification through the Engine
// and follows its answer (CNotificationTestExchange does the work; this shows it).  The
// channel dialogs add their fields and build the request.  Call Prepare() before showing
// the dialog: false when it must not open (Engine stopped, pending queue kept).
#include "library/QvcString.h"
#include "model/notify/NotificationTestExchange.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"

#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <memory>

class CQMonApp;

class CDialogTestBase : public QDialog {
    Q_OBJECT
public:
    ~CDialogTestBase() override;

    bool Prepare();
    // The OK button: checks and writes the request (see the exchange's Send).
    void OnSend();
    // One tick of the 1-second timer (tests call it directly).
    void OnTick();

    QPushButton& SendButton() { return m_send; }
    QLabel& Status() { return m_status; }
    QLabel& Result() { return m_result; }
    QLineEdit& Recipient() { return m_recipient; }
    QLineEdit& LogFile() { return m_logFile; }
    QPlainTextEdit& Message() { return m_message; }
    CNotificationTestExchange& Exchange() { return *m_exchange; }

protected:
    CDialogTestBase(CQMonApp& app, TestDialogKind kind, const char* title, QWidget* parent);
    // Lays out the fields the channel uses after the subclass added its own rows.
    void Finish(const CQvcString& summary, bool message, bool logFile);
    virtual std::unique_ptr<CSnNotificationRequest> BuildRequest() const = 0;
    QFormLayout& Form() { return m_form; }
    CQvcString MessageText() const; // line breaks as "\r\n"
    QString RecipientText() const { return m_recipient.text(); }
    CQvcString LogFileText() const { return m_hasLogFile ? CQvcString(m_logFile.text().toStdString()) : CQvcString(); }
    TestDialogValues m_values;

private:
    CQMonApp& m_app;
    TestDialogKind m_kind;
    std::unique_ptr<CNotificationTestExchange> m_exchange;
    QFormLayout m_form;
    QLineEdit m_recipient;
    QPlainTextEdit m_message;
    QLineEdit m_logFile;
    QPlainTextEdit m_summary;
    QLabel m_status;
    QLabel m_result;
    QPushButton m_send{"&Send"};
    QPushButton m_close{"Close"};
    QTimer m_timer;
    bool m_hasLogFile = false;
};

// E-mail: server summary, recipient, subject, message and log file.
class CDialogTestEmail final : public CDialogTestBase {
    Q_OBJECT
public:
    CDialogTestEmail(CQMonApp& app, const CSnSmtpSettings& settings, QWidget* parent = nullptr);
    QLineEdit& Subject() { return m_subject; }

private:
    std::unique_ptr<CSnNotificationRequest> BuildRequest() const override;
    CSnSmtpSettings m_settings;
    QLineEdit m_subject;
};

// SNMP trap: the agent, community and OID of the settings, the value to send.
class CDialogTestSnmpTrap final : public CDialogTestBase {
    Q_OBJECT
public:
    CDialogTestSnmpTrap(CQMonApp& app, const CSnSnmpTrapsSettings& settings, QWidget* parent = nullptr);
    QLineEdit& Value() { return m_value; }

private:
    std::unique_ptr<CSnNotificationRequest> BuildRequest() const override;
    CSnSnmpTrapsSettings m_settings;
    QLineEdit m_value{"Sentrelle test trap"};
};

// The channels whose dialogs hold only a recipient, a message and a log file; `Settings`
// is the channel's record (empty for the network pop-up, which has none to show).
#define SENTRELLE_TEST_DIALOG(Name, Settings)                                                                    \
    class Name final : public CDialogTestBase {                                                                   \
        Q_OBJECT                                                                                                  \
    public:                                                                                                       \
        Name(CQMonApp& app, const Settings& settings, QWidget* parent = nullptr);                                 \
                                                                                                                  \
    private:                                                                                                      \
        std::unique_ptr<CSnNotificationRequest> BuildRequest() const override;                                    \
        Settings m_settings;                                                                                      \
    };
struct CSnNoSettings {};
SENTRELLE_TEST_DIALOG(CDialogTestSms, CSnSmsSettings)
SENTRELLE_TEST_DIALOG(CDialogTestPagerSnpp, CSnPagerSettings)
SENTRELLE_TEST_DIALOG(CDialogTestPagerDtmf1, CSnPagerSettings)
SENTRELLE_TEST_DIALOG(CDialogTestMsn, CSnMsnSettings)
SENTRELLE_TEST_DIALOG(CDialogTestNetSend, CSnNoSettings)
#undef SENTRELLE_TEST_DIALOG
