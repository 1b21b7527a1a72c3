#include "manager/notify/PropSheetNotifySettings.h"

#include "library/ErrorTexts.h"
#include "manager/app/UiSeam.h"
#include "manager/notify/DialogGlobalRecipients.h"
#include "manager/notify/DialogTestBase.h"
#include "model/notify/AddressRules.h"
#include "model/store/SnCfg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include <algorithm>

using namespace notifyrules;

namespace {

QString Q(const CQvcString& text) { return QString::fromStdString(text.Str()); }
CQvcString C(const QString& text) { return CQvcString(text.toStdString()); }

// The template ID of each channel is its action kind (e-mail 1, network pop-up 2).
constexpr long kEmailTemplateId = 1;
constexpr long kPopupTemplateId = 2;
constexpr long kTrapsTemplateId = 6;
constexpr long kMessengerTemplateId = 5;
constexpr long kPagerTemplateId = 4;
constexpr long kSmsTemplateId = 3;
constexpr int kModemSpeeds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

constexpr const char* kGenericTraps[] = {"coldStart (0)",     "warmStart (1)",
                                         "linkDown (2)",      "linkUp (3)",
                                         "authenticationFailure (4)", "egpNeighborLoss (5)",
                                         "enterpriseSpecific (6)"};

// The stored template, or a new one of the channel when none is stored.
CSnMessageTemplate ReadTemplate(CSnCfg& store, long id, std::int32_t channel, const char* name) {
    CSnMessageTemplate t;
    t.Id = static_cast<std::int32_t>(id);
    t.NotificationTypeId = channel;
    t.Name = name;
    t.Read(store, id);
    return t;
}

QString PlaceholderList() {
    QStringList names;
    for (const char* name : kTemplatePlaceholders)
        names << QString("<% %1 %>").arg(name);
    return "The same template serves failures and recoveries; <% Direction %> tells them apart.\n"
           "Placeholders: " + names.mid(0, 5).join(", ") + ",\n" + names.mid(5).join(", ") + ".";
}

QWidget* ServerGroup(CSmtpServerBox& box, const QString& title, QWidget* parent) {
    auto* group = new QGroupBox(title, parent);
    auto* form = new QFormLayout(group);
    box.security.addItems({"None", "STARTTLS", "TLS"});
    box.password.setEchoMode(QLineEdit::Password);
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(&box.server, 1);
    serverRow->addWidget(new QLabel("Port:", group));
    box.port.setMaximumWidth(70);
    serverRow->addWidget(&box.port);
    serverRow->addWidget(new QLabel("Security:", group));
    serverRow->addWidget(&box.security);
    form->addRow("SMTP server:", serverRow);
    form->addRow(QString(), &box.auth);
    auto* accountRow = new QHBoxLayout;
    accountRow->addWidget(&box.login);
    accountRow->addWidget(new QLabel("Password:", group));
    accountRow->addWidget(&box.password);
    form->addRow("Login:", accountRow);
    auto* senderRow = new QHBoxLayout;
    senderRow->addWidget(&box.senderName);
    senderRow->addWidget(new QLabel("Address:", group));
    senderRow->addWidget(&box.senderAddress, 1);
    form->addRow("Sender name:", senderRow);
    QObject::connect(&box.auth, &QCheckBox::toggled, group, [&box](bool on) {
        box.login.setEnabled(on);
        box.password.setEnabled(on);
    });
    return group;
}

void ShowServer(CSmtpServerBox& box, const SmtpServerFields& f) {
    box.server.setText(Q(f.Server));
    box.port.setText(Q(f.Port));
    box.security.setCurrentIndex(static_cast<int>(f.Security));
    box.auth.setChecked(f.Auth);
    box.login.setEnabled(f.Auth);
    box.password.setEnabled(f.Auth);
    box.login.setText(Q(f.Login));
    box.password.setText(Q(f.Password));
    box.senderName.setText(Q(f.SenderName));
    box.senderAddress.setText(Q(f.SenderAddress));
}

SmtpServerFields ReadServer(const CSmtpServerBox& box) {
    return {C(box.server.text()),        C(box.port.text()),
            static_cast<SmtpSecurity>(box.security.currentIndex()), box.auth.isChecked(),
            C(box.login.text()),         C(box.password.text()),
            C(box.senderName.text()),    C(box.senderAddress.text())};
}

} // namespace

CPropSheetNotifySettings::CPropSheetNotifySettings(CUiSeam& ui, CSnCfg& store, QWidget* parent, CQMonApp* app)
    : QDialog(parent), m_ui(ui), m_store(store), m_app(app) {
    setObjectName("notifySettingsSheet");
    setWindowTitle("Notification Settings");
    if (const long code = m_smtp.Read(m_store))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    if (const long code = m_popup.Read(m_store))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    m_emailTemplateRecord = ReadTemplate(m_store, kEmailTemplateId, kNotifyEmail, "E-mail");
    if (const long code = m_traps.Read(m_store))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    if (const long code = m_msn.Read(m_store))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    if (const long code = m_pager.Read(m_store))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    if (const long code = m_sms.Read(m_store))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    m_smsTemplateRecord = ReadTemplate(m_store, kSmsTemplateId, kNotifySms, "SMS");
    m_pagerTemplateRecord = ReadTemplate(m_store, kPagerTemplateId, kNotifyPager, "Pager");
    m_msnTemplateRecord = ReadTemplate(m_store, kMessengerTemplateId, kNotifyMessenger, "MSN");
    m_trapsTemplateRecord = ReadTemplate(m_store, kTrapsTemplateId, kNotifySnmpTrap, "SNMP");
    m_popupTemplateRecord = ReadTemplate(m_store, kPopupTemplateId, kNotifyNetPopup, "Network Popup");

    auto* layout = new QVBoxLayout(this);
    m_tabs.addTab(BuildEmailPage(), "E-mail");
    m_tabs.addTab(BuildPopupPage(), "Network Popup");
    m_tabs.addTab(BuildSmsPage(), "SMS");
    m_tabs.addTab(BuildPagerPage(), "Pager");
    m_tabs.addTab(BuildTrapsPage(), "SNMP Traps");
    m_tabs.addTab(BuildMessengerPage(), "Messenger");
    layout->addWidget(&m_tabs);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPropSheetNotifySettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

QWidget* CPropSheetNotifySettings::TemplateGroup(CTemplateBox& box, bool withSubject) {
    auto* group = new QGroupBox("Message template");
    auto* form = new QFormLayout(group);
    if (withSubject)
        form->addRow("Subject:", &box.subject);
    box.body.setMinimumHeight(70);
    form->addRow("Message:", &box.body);
    auto* hint = new QLabel(PlaceholderList(), group);
    form->addRow(hint);
    return group;
}

QWidget* CPropSheetNotifySettings::BuildEmailPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(&m_emailEnabled);
    layout->addWidget(ServerGroup(m_primary, "Primary mail server", page));
    layout->addWidget(ServerGroup(m_secondary, "Secondary mail server (used when the primary one fails)", page));
    auto* charRow = new QHBoxLayout;
    auto* charLabel = new QLabel("&Character set:", page);
    charLabel->setBuddy(&m_charSet);
    charRow->addWidget(charLabel);
    for (const auto& cs : kMailCharSets)
        m_charSet.addItem(cs.Name, cs.Code);
    charRow->addWidget(&m_charSet, 1);
    layout->addLayout(charRow);
    layout->addWidget(TemplateGroup(m_emailTemplate, true));
    layout->addLayout(ChannelButtons(m_emailBook, m_emailTest, kNotifyEmail));

    const SmtpPageFields fields = SmtpPageFrom(m_smtp);
    m_emailEnabled.setChecked(fields.Enabled);
    ShowServer(m_primary, fields.Primary);
    ShowServer(m_secondary, fields.Secondary);
    int charSet = m_charSet.findData(fields.CharSet);
    if (charSet < 0) {
        m_charSet.addItem(QString("Code page %1").arg(fields.CharSet), fields.CharSet);
        charSet = m_charSet.count() - 1;
    }
    m_charSet.setCurrentIndex(charSet);
    ShowTemplate(m_emailTemplate, m_emailTemplateRecord);
    return page;
}

QWidget* CPropSheetNotifySettings::BuildPopupPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(&m_popupEnabled);
    auto* about = new QLabel("The message pops up on the computers named in the address book or in a check's "
                             "notifications (their NetBIOS names).",
                             page);
    about->setWordWrap(true);
    layout->addWidget(about);
    layout->addWidget(TemplateGroup(m_popupTemplate, false));
    layout->addStretch(1);
    layout->addLayout(ChannelButtons(m_popupBook, m_popupTest, kNotifyNetPopup));
    m_popupEnabled.setChecked(m_popup.Enabled);
    ShowTemplate(m_popupTemplate, m_popupTemplateRecord);
    return page;
}

QWidget* CPropSheetNotifySettings::BuildTrapsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(&m_trapsEnabled);
    auto* form = new QFormLayout;
    m_trapsPort.setMaximumWidth(70);
    m_trapsVersion.addItem("SNMP v1", 1);
    m_trapsVersion.addItem("SNMP v2c", 2);
    for (int i = 0; i < 7; ++i)
        m_trapsGeneric.addItem(kGenericTraps[i], i);
    form->addRow("&Agent (receiver):", &m_trapsAgent);
    form->addRow("&Port:", &m_trapsPort);
    form->addRow("&Community:", &m_trapsCommunity);
    form->addRow("P&rotocol:", &m_trapsVersion);
    form->addRow("&Generic trap:", &m_trapsGeneric);
    form->addRow("Enterprise &OID:", &m_trapsOid);
    layout->addLayout(form);
    layout->addWidget(TemplateGroup(m_trapsTemplate, false));
    layout->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    m_trapsTest.setEnabled(m_app != nullptr);
    connect(&m_trapsTest, &QPushButton::clicked, this, [this] { OpenTest(kNotifySnmpTrap); });
    row->addWidget(&m_trapsTest);
    layout->addLayout(row);

    const notifyrules::TrapsPageFields f = notifyrules::TrapsPageFrom(m_traps);
    m_trapsEnabled.setChecked(f.Enabled);
    m_trapsAgent.setText(Q(f.Agent));
    m_trapsPort.setText(Q(f.Port));
    m_trapsCommunity.setText(Q(f.Community));
    m_trapsVersion.setCurrentIndex(std::max(0, m_trapsVersion.findData(f.ProtocolVersion)));
    m_trapsGeneric.setCurrentIndex(std::max(0, m_trapsGeneric.findData(f.GenericTrap)));
    m_trapsOid.setText(Q(f.Oid));
    ShowTemplate(m_trapsTemplate, m_trapsTemplateRecord);
    return page;
}

QWidget* CPropSheetNotifySettings::BuildSmsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(&m_smsEnabled);
    auto* top = new QFormLayout;
    m_smsProtocol.addItems({"GSM device", "HTTP provider", "Messaging server"});
    top->addRow("P&rotocol:", &m_smsProtocol);
    layout->addLayout(top);

    auto* gsm = new QGroupBox("GSM device", page);
    auto* gsmForm = new QFormLayout(gsm);
    for (int speed : kModemSpeeds)
        m_gsmSpeed.addItem(QString::number(speed), speed);
    m_gsmPin.setEchoMode(QLineEdit::Password);
    gsmForm->addRow("&Device:", &m_gsmDevice);
    gsmForm->addRow("Spee&d:", &m_gsmSpeed);
    gsmForm->addRow("&Init string:", &m_gsmInit);
    gsmForm->addRow(&m_gsmHasPin, &m_gsmPin);
    layout->addWidget(gsm);

    auto* http = new QGroupBox("HTTP provider", page);
    auto* httpForm = new QFormLayout(http);
    for (QLineEdit* password : {&m_webPassword, &m_proxyPassword})
        password->setEchoMode(QLineEdit::Password);
    httpForm->addRow("&URL:", &m_smsUrl);
    auto* urlHint = new QLabel(QString("The URL takes %1.").arg(notifyrules::kSmsUrlPlaceholders), http);
    httpForm->addRow(QString(), urlHint);
    httpForm->addRow("Success res&ponse:", &m_smsSuccess);
    httpForm->addRow("&Sender:", &m_smsSender);
    auto* web = new QHBoxLayout;
    web->addWidget(&m_webAccount);
    web->addWidget(new QLabel("Password:", http));
    web->addWidget(&m_webPassword);
    auto* webLabel = new QLabel("&Web account:", http);
    webLabel->setBuddy(&m_webAccount);
    httpForm->addRow(webLabel, web);
    httpForm->addRow("Pro&xy server:", &m_proxyServer);
    auto* proxy = new QHBoxLayout;
    proxy->addWidget(&m_proxyAccount);
    proxy->addWidget(new QLabel("Password:", http));
    proxy->addWidget(&m_proxyPassword);
    auto* proxyLabel = new QLabel("Proxy acc&ount:", http);
    proxyLabel->setBuddy(&m_proxyAccount);
    httpForm->addRow(proxyLabel, proxy);
    layout->addWidget(http);
    layout->addWidget(TemplateGroup(m_smsTemplate, false));
    layout->addLayout(ChannelButtons(m_smsBook, m_smsTest, kNotifySms));

    const notifyrules::SmsPageFields f = notifyrules::SmsPageFrom(m_sms);
    m_smsEnabled.setChecked(f.Enabled);
    m_smsProtocol.setCurrentIndex(std::clamp(f.Protocol, 0, 2));
    m_gsmHasPin.setChecked(f.GsmHasPin);
    m_gsmPin.setText(Q(f.GsmPin));
    m_gsmDevice.setText(Q(f.GsmDevice));
    int speed = m_gsmSpeed.findData(f.GsmSpeed);
    if (speed < 0) {
        m_gsmSpeed.addItem(QString::number(f.GsmSpeed), f.GsmSpeed);
        speed = m_gsmSpeed.count() - 1;
    }
    m_gsmSpeed.setCurrentIndex(speed);
    m_gsmInit.setText(Q(f.GsmInitString));
    m_smsUrl.setText(Q(f.Url));
    m_smsSuccess.setText(Q(f.SuccessResponse));
    m_smsSender.setText(Q(f.Sender));
    m_webAccount.setText(Q(f.WebAccount));
    m_webPassword.setText(Q(f.WebPassword));
    m_proxyServer.setText(Q(f.ProxyServer));
    m_proxyAccount.setText(Q(f.ProxyAccount));
    m_proxyPassword.setText(Q(f.ProxyPassword));
    ShowTemplate(m_smsTemplate, m_smsTemplateRecord);
    // Only the chosen protocol's fields are in use; the messaging server needs none.
    auto follow = [gsm, http](int protocol) {
        gsm->setEnabled(protocol == 0);
        http->setEnabled(protocol == 1);
    };
    follow(m_smsProtocol.currentIndex());
    connect(&m_smsProtocol, &QComboBox::currentIndexChanged, this, follow);
    return page;
}

notifyrules::SmsPageFields CPropSheetNotifySettings::SmsFields() const {
    return {m_smsEnabled.isChecked(),    m_smsProtocol.currentIndex(),     m_gsmHasPin.isChecked(),
            C(m_gsmPin.text()),          C(m_gsmDevice.text()),            m_gsmSpeed.currentData().toInt(),
            C(m_gsmInit.text()),         C(m_smsUrl.text()),               C(m_smsSuccess.text()),
            C(m_smsSender.text()),       C(m_webAccount.text()),           C(m_webPassword.text()),
            C(m_proxyServer.text()),     C(m_proxyAccount.text()),         C(m_proxyPassword.text())};
}

QWidget* CPropSheetNotifySettings::BuildPagerPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(&m_pagerEnabled);
    auto* top = new QFormLayout;
    m_pagerProtocol.addItems({"SNPP (network)", "DTMF (modem)"});
    top->addRow("P&rotocol:", &m_pagerProtocol);
    layout->addLayout(top);
    auto* snpp = new QGroupBox("SNPP server", page);
    auto* snppForm = new QFormLayout(snpp);
    m_snppPort.setMaximumWidth(70);
    m_snppPassword.setEchoMode(QLineEdit::Password);
    m_snppTimeOut.setRange(1, 600);
    m_snppTimeOut.setSuffix(" s");
    snppForm->addRow("&Server:", &m_snppServer);
    snppForm->addRow("P&ort:", &m_snppPort);
    snppForm->addRow("Pass&word:", &m_snppPassword);
    snppForm->addRow("&Time-out:", &m_snppTimeOut);
    layout->addWidget(snpp);
    auto* dtmf = new QGroupBox("DTMF device", page);
    auto* dtmfForm = new QFormLayout(dtmf);
    for (int speed : kModemSpeeds)
        m_dtmfSpeed.addItem(QString::number(speed), speed);
    m_dtmfRedials.setRange(0, 10);
    dtmfForm->addRow("&Device:", &m_dtmfDevice);
    dtmfForm->addRow("Spee&d:", &m_dtmfSpeed);
    dtmfForm->addRow("&Init string:", &m_dtmfInit);
    dtmfForm->addRow("Redia&ls:", &m_dtmfRedials);
    dtmfForm->addRow(QString(), &m_dtmfPulse);
    layout->addWidget(dtmf);
    layout->addWidget(TemplateGroup(m_pagerTemplate, false));
    layout->addLayout(ChannelButtons(m_pagerBook, m_pagerTest, kNotifyPager));

    const notifyrules::PagerPageFields f = notifyrules::PagerPageFrom(m_pager);
    m_pagerEnabled.setChecked(f.Enabled);
    m_pagerProtocol.setCurrentIndex(f.Protocol == 1 ? 1 : 0);
    m_snppServer.setText(Q(f.SnppServer));
    m_snppPort.setText(Q(f.SnppPort));
    m_snppPassword.setText(Q(f.SnppPassword));
    m_snppTimeOut.setValue(f.SnppTimeOut);
    m_dtmfDevice.setText(Q(f.DtmfDevice));
    int speed = m_dtmfSpeed.findData(f.DtmfSpeed);
    if (speed < 0) {
        m_dtmfSpeed.addItem(QString::number(f.DtmfSpeed), f.DtmfSpeed);
        speed = m_dtmfSpeed.count() - 1;
    }
    m_dtmfSpeed.setCurrentIndex(speed);
    m_dtmfInit.setText(Q(f.DtmfInitString));
    m_dtmfRedials.setValue(f.DtmfRedials);
    m_dtmfPulse.setChecked(f.DtmfDialPulse);
    ShowTemplate(m_pagerTemplate, m_pagerTemplateRecord);
    // Only the chosen protocol's fields are in use.
    auto follow = [snpp, dtmf](int protocol) {
        snpp->setEnabled(protocol == 0);
        dtmf->setEnabled(protocol == 1);
    };
    follow(m_pagerProtocol.currentIndex());
    connect(&m_pagerProtocol, &QComboBox::currentIndexChanged, this, follow);
    return page;
}

notifyrules::PagerPageFields CPropSheetNotifySettings::PagerFields() const {
    return {m_pagerEnabled.isChecked(),       m_pagerProtocol.currentIndex(),
            C(m_snppServer.text()),           C(m_snppPort.text()),
            C(m_snppPassword.text()),         m_snppTimeOut.value(),
            C(m_dtmfDevice.text()),           m_dtmfSpeed.currentData().toInt(),
            C(m_dtmfInit.text()),             m_dtmfPulse.isChecked(),
            m_dtmfRedials.value()};
}

QWidget* CPropSheetNotifySettings::BuildMessengerPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(&m_msnEnabled);
    auto* form = new QFormLayout;
    m_msnPort.setMaximumWidth(70);
    m_msnPassword.setEchoMode(QLineEdit::Password);
    form->addRow("&Server:", &m_msnServer);
    form->addRow("&Port:", &m_msnPort);
    form->addRow("&Account:", &m_msnAccount);
    form->addRow("Pass&word:", &m_msnPassword);
    form->addRow("&Display name:", &m_msnDisplayName);
    layout->addLayout(form);
    layout->addWidget(TemplateGroup(m_msnTemplate, false));
    layout->addStretch(1);
    layout->addLayout(ChannelButtons(m_msnBook, m_msnTest, kNotifyMessenger));

    const notifyrules::MessengerPageFields f = notifyrules::MessengerPageFrom(m_msn);
    m_msnEnabled.setChecked(f.Enabled);
    m_msnServer.setText(Q(f.Server));
    m_msnPort.setText(Q(f.Port));
    m_msnAccount.setText(Q(f.Account));
    m_msnPassword.setText(Q(f.Password));
    m_msnDisplayName.setText(Q(f.DisplayName));
    ShowTemplate(m_msnTemplate, m_msnTemplateRecord);
    return page;
}

notifyrules::MessengerPageFields CPropSheetNotifySettings::MessengerFields() const {
    return {m_msnEnabled.isChecked(),  C(m_msnServer.text()),   C(m_msnPort.text()),
            C(m_msnAccount.text()),    C(m_msnPassword.text()), C(m_msnDisplayName.text())};
}

notifyrules::TrapsPageFields CPropSheetNotifySettings::TrapsFields() const {
    return {m_trapsEnabled.isChecked(),           C(m_trapsAgent.text()),
            C(m_trapsPort.text()),                C(m_trapsCommunity.text()),
            m_trapsVersion.currentData().toInt(), m_trapsGeneric.currentData().toInt(),
            C(m_trapsOid.text())};
}

QLayout* CPropSheetNotifySettings::ChannelButtons(QPushButton& book, QPushButton& test, std::int32_t channel) {
    auto* row = new QHBoxLayout;
    row->addWidget(&book);
    row->addStretch(1);
    test.setEnabled(m_app != nullptr);
    row->addWidget(&test);
    connect(&book, &QPushButton::clicked, this, [this, channel] { OpenAddressBook(channel); });
    connect(&test, &QPushButton::clicked, this, [this, channel] { OpenTest(channel); });
    return row;
}

SmtpPageFields CPropSheetNotifySettings::EmailFields() const {
    return {m_emailEnabled.isChecked(), ReadServer(m_primary), ReadServer(m_secondary),
            m_charSet.currentData().toInt()};
}

// The page's refusal, if any, comes first: a test is sent with the settings as they stand
// on the page, not as they were stored.
void CPropSheetNotifySettings::OpenTest(std::int32_t channel) {
    if (m_app == nullptr)
        return;
    const auto refused = [this](const CQvcString& refusal) {
        if (!refusal.IsEmpty())
            m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return !refusal.IsEmpty();
    };
    std::unique_ptr<CDialogTestBase> dialog;
    switch (channel) {
    case kNotifyEmail: {
        const SmtpPageFields fields = EmailFields();
        if (refused(CheckSmtpPage(fields)))
            return;
        CSnSmtpSettings settings = m_smtp;
        SmtpPageTo(fields, settings);
        dialog = std::make_unique<CDialogTestEmail>(*m_app, settings, this);
        break;
    }
    case kNotifyNetPopup:
        dialog = std::make_unique<CDialogTestNetSend>(*m_app, CSnNoSettings{}, this);
        break;
    case kNotifySms: {
        const SmsPageFields fields = SmsFields();
        if (refused(CheckSmsPage(fields)))
            return;
        CSnSmsSettings settings = m_sms;
        SmsPageTo(fields, settings);
        dialog = std::make_unique<CDialogTestSms>(*m_app, settings, this);
        break;
    }
    case kNotifyPager: {
        const PagerPageFields fields = PagerFields();
        if (refused(CheckPagerPage(fields)))
            return;
        CSnPagerSettings settings = m_pager;
        PagerPageTo(fields, settings);
        if (settings.Protocol == 0)
            dialog = std::make_unique<CDialogTestPagerSnpp>(*m_app, settings, this);
        else
            dialog = std::make_unique<CDialogTestPagerDtmf1>(*m_app, settings, this);
        break;
    }
    case kNotifySnmpTrap: {
        const TrapsPageFields fields = TrapsFields();
        if (refused(CheckTrapsPage(fields)))
            return;
        CSnSnmpTrapsSettings settings = m_traps;
        TrapsPageTo(fields, settings);
        dialog = std::make_unique<CDialogTestSnmpTrap>(*m_app, settings, this);
        break;
    }
    case kNotifyMessenger: {
        const MessengerPageFields fields = MessengerFields();
        if (refused(CheckMessengerPage(fields)))
            return;
        CSnMsnSettings settings = m_msn;
        MessengerPageTo(fields, settings);
        dialog = std::make_unique<CDialogTestMsn>(*m_app, settings, this);
        break;
    }
    default:
        return;
    }
    if (dialog->Prepare())
        m_ui.ExecDialog(*dialog);
}

void CPropSheetNotifySettings::OpenAddressBook(std::int32_t channel) {
    CDialogGlobalRecipients book(m_ui, m_store, channel, this);
    m_ui.ExecDialog(book);
}

// The stored body keeps line breaks as "||".
void CPropSheetNotifySettings::ShowTemplate(CTemplateBox& box, const CSnMessageTemplate& t) {
    box.subject.setText(Q(t.Subject));
    box.body.setPlainText(Q(t.Body).replace("||", "\n"));
}

void CPropSheetNotifySettings::TakeTemplate(const CTemplateBox& box, CSnMessageTemplate& t) const {
    t.Subject = C(box.subject.text());
    t.Body = C(box.body.toPlainText().replace("\n", "||"));
}

void CPropSheetNotifySettings::accept() {
    const SmtpPageFields email = EmailFields();
    if (const CQvcString refusal = CheckSmtpPage(email); !refusal.IsEmpty()) {
        m_tabs.setCurrentIndex(0);
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return;
    }
    const TrapsPageFields traps = TrapsFields();
    if (const CQvcString refusal = CheckTrapsPage(traps); !refusal.IsEmpty()) {
        m_tabs.setCurrentIndex(4);
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return;
    }
    const MessengerPageFields messenger = MessengerFields();
    if (const CQvcString refusal = CheckMessengerPage(messenger); !refusal.IsEmpty()) {
        m_tabs.setCurrentIndex(5);
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return;
    }
    const PagerPageFields pager = PagerFields();
    if (const CQvcString refusal = CheckPagerPage(pager); !refusal.IsEmpty()) {
        m_tabs.setCurrentIndex(3);
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return;
    }
    const SmsPageFields sms = SmsFields();
    if (const CQvcString refusal = CheckSmsPage(sms); !refusal.IsEmpty()) {
        m_tabs.setCurrentIndex(2);
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return;
    }
    SmtpPageTo(email, m_smtp);
    SmsPageTo(sms, m_sms);
    TakeTemplate(m_smsTemplate, m_smsTemplateRecord);
    PagerPageTo(pager, m_pager);
    TakeTemplate(m_pagerTemplate, m_pagerTemplateRecord);
    MessengerPageTo(messenger, m_msn);
    TakeTemplate(m_msnTemplate, m_msnTemplateRecord);
    TrapsPageTo(traps, m_traps);
    TakeTemplate(m_trapsTemplate, m_trapsTemplateRecord);
    TakeTemplate(m_emailTemplate, m_emailTemplateRecord);
    m_popup.Enabled = m_popupEnabled.isChecked();
    TakeTemplate(m_popupTemplate, m_popupTemplateRecord);
    long code = m_smtp.Write(m_store);
    if (code == 0)
        code = m_emailTemplateRecord.Write(m_store);
    if (code == 0)
        code = m_popup.Write(m_store);
    if (code == 0)
        code = m_popupTemplateRecord.Write(m_store);
    if (code == 0)
        code = m_traps.Write(m_store);
    if (code == 0)
        code = m_trapsTemplateRecord.Write(m_store);
    if (code == 0)
        code = m_msn.Write(m_store);
    if (code == 0)
        code = m_msnTemplateRecord.Write(m_store);
    if (code == 0)
        code = m_pager.Write(m_store);
    if (code == 0)
        code = m_pagerTemplateRecord.Write(m_store);
    if (code == 0)
        code = m_sms.Write(m_store);
    if (code == 0)
        code = m_smsTemplateRecord.Write(m_store);
    if (code != 0) {
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
        return;
    }
    QDialog::accept();
}
