#pragma once
// CPropSheetNotifySettings: "Notification Settings", one page per notification channel.
// The E-mail page edits the mail servers (CSnSmtpSettings), the Network Popup page its
// switch (CSnNetPopupSettings), each with the channel's message template; each page has its channel's "enabled" switch, opens the channel's address
// book and (disabled until test messages can be sent from here) "Test...".  OK checks
// every page, then writes the records; the records' writes tell the engine through the
// "GlobalSettings" notice.
#include "model/notify/NotifyPageRules.h"
#include "model/notify/SnNetPopupSettings.h"
#include "model/notify/SnMessageTemplate.h"
#include "model/notify/SnSmtpSettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>

#include <cstdint>

class CQMonApp;
class CSnCfg;
class CUiSeam;

// The fields of one mail server.
struct CSmtpServerBox {
    QLineEdit server, port, login, password, senderName, senderAddress;
    QComboBox security;
    QCheckBox auth{"Server requires &authentication"};
};

// A channel's message template, used for failure and for recovery alike.
struct CTemplateBox {
    QLineEdit subject;
    QPlainTextEdit body;
};

class CPropSheetNotifySettings final : public QDialog {
    Q_OBJECT
public:
    // With `app`, each page's "Test..." opens the channel's test dialog, filled from the
    // page as it stands; without it (no engine link to send through) the buttons are off.
    CPropSheetNotifySettings(CUiSeam& ui, CSnCfg& store, QWidget* parent = nullptr, CQMonApp* app = nullptr);

    // Checks the pages (the first refusal shown, its page brought forward), then writes.
    void accept() override;

    // --- the E-mail page ------------------------------------------------------------------
    QCheckBox& EmailEnabled() { return m_emailEnabled; }
    CSmtpServerBox& Primary() { return m_primary; }
    CSmtpServerBox& Secondary() { return m_secondary; }
    QComboBox& CharSet() { return m_charSet; }
    CTemplateBox& EmailTemplate() { return m_emailTemplate; }
    QPushButton& EmailAddressBook() { return m_emailBook; }
    QPushButton& EmailTest() { return m_emailTest; }
    notifyrules::SmtpPageFields EmailFields() const;

    // --- the Network Popup page ------------------------------------------------------------
    QCheckBox& PopupEnabled() { return m_popupEnabled; }
    CTemplateBox& PopupTemplate() { return m_popupTemplate; }

    // --- the SNMP Traps page (no address book: the agent is the one recipient) -------------
    QCheckBox& TrapsEnabled() { return m_trapsEnabled; }
    QLineEdit& TrapsAgent() { return m_trapsAgent; }
    QLineEdit& TrapsPort() { return m_trapsPort; }
    QLineEdit& TrapsCommunity() { return m_trapsCommunity; }
    QComboBox& TrapsVersion() { return m_trapsVersion; }
    QComboBox& TrapsGeneric() { return m_trapsGeneric; }
    QLineEdit& TrapsOid() { return m_trapsOid; }
    QPushButton& TrapsTest() { return m_trapsTest; }
    notifyrules::TrapsPageFields TrapsFields() const;

    // --- the Messenger page ----------------------------------------------------------------
    QCheckBox& MessengerEnabled() { return m_msnEnabled; }
    QLineEdit& MessengerServer() { return m_msnServer; }
    QLineEdit& MessengerAccount() { return m_msnAccount; }
    notifyrules::MessengerPageFields MessengerFields() const;

    // --- the Pager page --------------------------------------------------------------------
    QCheckBox& PagerEnabled() { return m_pagerEnabled; }
    QComboBox& PagerProtocol() { return m_pagerProtocol; }
    QLineEdit& PagerServer() { return m_snppServer; }
    QLineEdit& PagerDevice() { return m_dtmfDevice; }
    notifyrules::PagerPageFields PagerFields() const;

    // --- the SMS page ----------------------------------------------------------------------
    QCheckBox& SmsEnabled() { return m_smsEnabled; }
    QComboBox& SmsProtocol() { return m_smsProtocol; }
    QLineEdit& SmsUrl() { return m_smsUrl; }
    notifyrules::SmsPageFields SmsFields() const;

private:
    QWidget* BuildEmailPage();
    QWidget* BuildPopupPage();
    QWidget* BuildTrapsPage();
    QWidget* BuildMessengerPage();
    QWidget* BuildPagerPage();
    QWidget* BuildSmsPage();
    // "Address Book..." for the channel and the disabled "Test...".
    QLayout* ChannelButtons(QPushButton& book, QPushButton& test, std::int32_t channel);
    QWidget* TemplateGroup(CTemplateBox& box, bool withSubject);
    void OpenAddressBook(std::int32_t channel);
    void OpenTest(std::int32_t channel);
    void ShowTemplate(CTemplateBox& box, const CSnMessageTemplate& t);
    void TakeTemplate(const CTemplateBox& box, CSnMessageTemplate& t) const;

    CUiSeam& m_ui;
    CSnCfg& m_store;
    QTabWidget m_tabs;

    CSnSmtpSettings m_smtp;
    CSnMessageTemplate m_emailTemplateRecord;
    QCheckBox m_emailEnabled{"&Enable e-mail notifications"};
    CSmtpServerBox m_primary, m_secondary;
    QComboBox m_charSet;
    CTemplateBox m_emailTemplate;
    QPushButton m_emailBook{"Address &Book..."};
    QPushButton m_emailTest{"&Test..."};
    CQMonApp* m_app = nullptr;

    CSnNetPopupSettings m_popup;
    CSnMessageTemplate m_popupTemplateRecord;
    QCheckBox m_popupEnabled{"&Enable network pop-up notifications"};
    CTemplateBox m_popupTemplate;
    QPushButton m_popupBook{"Address &Book..."};
    QPushButton m_popupTest{"&Test..."};

    CSnSnmpTrapsSettings m_traps;
    CSnMessageTemplate m_trapsTemplateRecord;
    QCheckBox m_trapsEnabled{"&Enable SNMP trap notifications"};
    QLineEdit m_trapsAgent, m_trapsPort, m_trapsCommunity, m_trapsOid;
    QComboBox m_trapsVersion, m_trapsGeneric;
    CTemplateBox m_trapsTemplate;
    QPushButton m_trapsTest{"&Test..."};

    CSnMsnSettings m_msn;
    CSnMessageTemplate m_msnTemplateRecord;
    QCheckBox m_msnEnabled{"&Enable messenger notifications"};
    QLineEdit m_msnServer, m_msnPort, m_msnAccount, m_msnPassword, m_msnDisplayName;
    CTemplateBox m_msnTemplate;
    QPushButton m_msnBook{"Address &Book..."};
    QPushButton m_msnTest{"&Test..."};

    CSnPagerSettings m_pager;
    CSnMessageTemplate m_pagerTemplateRecord;
    QCheckBox m_pagerEnabled{"&Enable pager notifications"};
    QComboBox m_pagerProtocol, m_dtmfSpeed;
    QLineEdit m_snppServer, m_snppPort, m_snppPassword, m_dtmfDevice, m_dtmfInit;
    QSpinBox m_snppTimeOut, m_dtmfRedials;
    QCheckBox m_dtmfPulse{"&Pulse dialling"};
    CTemplateBox m_pagerTemplate;
    QPushButton m_pagerBook{"Address &Book..."};
    QPushButton m_pagerTest{"&Test..."};

    CSnSmsSettings m_sms;
    CSnMessageTemplate m_smsTemplateRecord;
    QCheckBox m_smsEnabled{"&Enable SMS notifications"};
    QComboBox m_smsProtocol, m_gsmSpeed;
    QCheckBox m_gsmHasPin{"SIM card needs a P&IN code:"};
    QLineEdit m_gsmPin, m_gsmDevice, m_gsmInit, m_smsUrl, m_smsSuccess, m_smsSender, m_webAccount, m_webPassword,
        m_proxyServer, m_proxyAccount, m_proxyPassword;
    CTemplateBox m_smsTemplate;
    QPushButton m_smsBook{"Address &Book..."};
    QPushButton m_smsTest{"&Test..."};
};
