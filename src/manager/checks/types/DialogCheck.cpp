#include "manager/checks/types/DialogCheck.h"

#include "library/Messages.h"
#include "manager/app/UiSeam.h"
#include "manager/checks/DialogSelectMultHosts.h"
#include "manager/checks/types/DialogServerCredentials.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/SnCheckCreator.h"
#include "model/console/ManagerPreferences.h"
#include "model/settings/SnCfgServerCredentials.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {

constexpr unsigned kSampleQuestion = 51537;
constexpr unsigned kNoCredentials = 61481;
constexpr int kPlacementOffset = 50;

} // namespace

CDialogCheck::CDialogCheck(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx,
                           const QString& title)
    : QDialog(parent), m_w(w), m_type(type), m_ctx(ctx) {
    setWindowTitle(title);
    if (w.Cfg.Function.Type == type) {
        m_initial = w.Cfg.Function;
    } else {
        m_initial.Type = type;
        CheckTypeDefaults(&m_initial);
        // A check that changes its type stays on the computer it watched.
        if (m_initial.ParamServer.IsEmpty())
            m_initial.ParamServer = w.Cfg.Function.ParamServer;
    }
    m_outer = new QVBoxLayout(this);
    m_form = new QFormLayout;
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_outer->addLayout(m_form);
    m_mainForm = m_form;
}

// --- building -----------------------------------------------------------------------------

QLineEdit& CDialogCheck::AddHostRow(const QString& label) {
    m_host = new QLineEdit(this);
    m_host->setObjectName("host");
    m_host->setMinimumWidth(260);
    m_host->setText(QString::fromStdString(m_initial.ParamServer.Str()));
    // "..." chooses the targets in the target-selection dialog (several only while creating).
    m_hostBrowse = new QPushButton("...", this);
    m_hostBrowse->setObjectName("hostBrowse");
    m_hostBrowse->setMaximumWidth(32);
    m_hostBrowse->setToolTip("Select computers or IP addresses");
    connect(m_hostBrowse, &QPushButton::clicked, this, &CDialogCheck::BrowseHosts);
    auto* row = new QHBoxLayout;
    row->addWidget(m_host, 1);
    row->addWidget(m_hostBrowse);
    m_form->addRow(BuddyLabel(label, m_host), row);
    return *m_host;
}

QLineEdit& CDialogCheck::AddNumberRow(const QString& label, const QString& unit) {
    auto* field = new QLineEdit(this);
    field->setValidator(new QRegularExpressionValidator(QRegularExpression("[0-9]{0,9}"), field));
    field->setMaximumWidth(90);
    auto* row = new QHBoxLayout;
    row->addWidget(field);
    if (!unit.isEmpty())
        row->addWidget(new QLabel(unit, this));
    row->addStretch(1);
    m_form->addRow(BuddyLabel(label, field), row);
    return *field;
}

CDialogCheck::EndpointRows CDialogCheck::AddEndpointRows(const QString& hostLabel,
                                                         const QString& timeoutLabel,
                                                         const QString& timeoutUnit) {
    AddHostRow(hostLabel);
    EndpointRows rows;
    rows.port = &AddNumberRow("&Port:");
    rows.port->setObjectName("port");
    if (!timeoutLabel.isEmpty()) {
        rows.timeout = &AddNumberRow(timeoutLabel, timeoutUnit);
        rows.timeout->setObjectName("timeout");
    }
    return rows;
}

QLineEdit& CDialogCheck::AddTextRow(const QString& label) {
    auto* field = new QLineEdit(this);
    field->setMinimumWidth(260);
    m_form->addRow(BuddyLabel(label, field), field);
    return *field;
}

CDialogCheck::LoginRows CDialogCheck::AddLoginRows(const QString& accountLabel,
                                                   const QString& passwordLabel) {
    LoginRows rows;
    rows.account = &AddTextRow(accountLabel);
    rows.account->setObjectName("account");
    rows.password = &AddTextRow(passwordLabel);
    rows.password->setObjectName("password");
    rows.password->setEchoMode(QLineEdit::Password);
    return rows;
}

void CDialogCheck::LoginRows::Show(const std::string& login, const std::string& secret) const {
    account->setText(QString::fromStdString(login));
    password->setText(QString::fromStdString(secret));
}

std::string CDialogCheck::LoginRows::Account() const {
    return account->text().trimmed().toStdString();
}

std::string CDialogCheck::LoginRows::Password() const {
    return password->text().toStdString();
}

QCheckBox& CDialogCheck::AddOption(const QString& text, std::size_t position, char missing) {
    auto* box = new QCheckBox(text, this);
    m_form->addRow(box);
    m_options.push_back({position, missing, box, nullptr});
    return *box;
}

QButtonGroup& CDialogCheck::AddOptionChoice(std::size_t position,
                                            std::initializer_list<std::pair<QString, char>> choices) {
    auto* group = new QButtonGroup(this);
    for (const auto& [text, code] : choices) {
        auto* button = new QRadioButton(text, this);
        group->addButton(button, code);
        m_form->addRow(button);
    }
    m_options.push_back({position, '0', nullptr, group});
    return *group;
}

void CDialogCheck::BeginGroup(const QString& title) {
    auto* box = new QGroupBox(title, this);
    m_form = new QFormLayout(box);
    m_form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    m_mainForm->addRow(box);
}

void CDialogCheck::EndGroup() {
    m_form = m_mainForm;
}

void CDialogCheck::AddCredentialsRow() {
    m_useCredentials = new QCheckBox("Use Login and Password to access the server:", this);
    m_useCredentials->setObjectName("useCredentials");
    m_useCredentials->setChecked(m_initial.UseCredentials != 0);
    m_credentialsButton = new QPushButton("Credentials...", this);
    m_credentialsButton->setObjectName("credentials");
    m_credentialsButton->setEnabled(m_useCredentials->isChecked());
    connect(m_useCredentials, &QCheckBox::toggled, m_credentialsButton, &QWidget::setEnabled);
    connect(m_credentialsButton, &QPushButton::clicked, this, &CDialogCheck::OpenCredentials);
    auto* row = new QHBoxLayout;
    row->addWidget(m_useCredentials);
    row->addStretch(1);
    row->addWidget(m_credentialsButton);
    m_form->addRow(row);
}

void CDialogCheck::AddSampleLink() {
    m_sampleLink = new QLabel("<a href=\"sample\">Click here</a> to load sample data.", this);
    m_sampleLink->setObjectName("sampleLink");
    m_sampleLink->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_sampleLink, &QLabel::linkActivated, this, &CDialogCheck::LoadSample);
    m_outer->addWidget(m_sampleLink);
}

void CDialogCheck::Finish() {
    m_buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(m_buttons, &QDialogButtonBox::accepted, this, &CDialogCheck::accept);
    connect(m_buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_outer->addSpacing(6);
    m_outer->addWidget(m_buttons);
    // Return always means OK: a row button (host browse, authentication, credentials)
    // that last had the focus must not take Return over and reopen its editor.
    for (QPushButton* button : findChildren<QPushButton*>())
        button->setAutoDefault(false);
    m_buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    adjustSize();
    Place();
}

QLabel* CDialogCheck::BuddyLabel(const QString& text, QWidget* field) {
    auto* label = new QLabel(text, this);
    label->setBuddy(field);
    return label;
}

void CDialogCheck::FillCodeCombo(QComboBox& combo, const std::vector<CodeTableEntry>& table) {
    for (const CodeTableEntry& entry : table)
        combo.addItem(QString::fromUtf8(entry.Text), entry.Code);
}

void CDialogCheck::Place() {
    QWidget* parent = parentWidget();
    if (parent == nullptr)
        return;
    move(parent->window()->frameGeometry().topLeft() + QPoint(kPlacementOffset, kPlacementOffset));
}

// --- running ----------------------------------------------------------------------------------

int CDialogCheck::Run() {
    return m_ctx.seam.ExecDialog(*this);
}

void CDialogCheck::accept() {
    CSnNodeCfgFunction out = m_initial;
    if (!Collect(out))
        return;
    if (out.UseCredentials != 0) {
        CSnCfgServerCredentials list;
        if (m_ctx.cfg != nullptr)
            list.Read(*m_ctx.cfg);
        if (NeedsCredentialsQuestion(true, out.CredentialsServer, list)) {
            const DialogRefusal question = DialogRefusal::Numbered(kNoCredentials, out.CredentialsServer);
            if (m_ctx.seam.Message(question.Text, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) ==
                CUiSeam::kYes)
                OpenCredentials();
        }
    }
    out.Type = m_type;
    m_w.Cfg.Function = out;
    QDialog::accept();
}

void CDialogCheck::LoadSample() {
    if (m_ctx.seam.Message(MessageText(kSampleQuestion), CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) ==
        CUiSeam::kYes)
        FillSample();
}

void CDialogCheck::BrowseHosts() {
    CDialogSelectMultHosts dialog(this, m_ctx.seam, m_ctx.cfg, m_host->text(), HostLimits());
    if (m_ctx.seam.ExecDialog(dialog) == CUiSeam::kAccepted)
        m_host->setText(dialog.TargetText());
}

void CDialogCheck::OpenCredentials() {
    CDialogServerCredentials editor(m_ctx.seam, m_ctx.cfg, CredentialsComputer(), this);
    m_ctx.seam.ExecDialog(editor);
}

// --- OK helpers ---------------------------------------------------------------------------

void CDialogCheck::ShowOptions(const CQvcString& codes) {
    for (const BoundOption& option : m_options) {
        const char code = ByteCode(codes, option.position, option.missing);
        if (option.box != nullptr) {
            option.box->setChecked(code == '1');
        } else if (QAbstractButton* button = option.choice->button(code)) {
            button->setChecked(true);
        } else if (!option.choice->buttons().isEmpty()) {
            option.choice->buttons().front()->setChecked(true);
        }
    }
}

void CDialogCheck::WriteOptions(CSnNodeCfgFunction& out) const {
    for (const BoundOption& option : m_options) {
        const char code = option.box != nullptr ? (option.box->isChecked() ? '1' : '0')
                                                : static_cast<char>(option.choice->checkedId());
        SetOptionCode(out.ParamByteCodes.Edit(), option.position, code);
    }
}

bool CDialogCheck::PassesAt(const DialogRefusal& refusal, std::initializer_list<QWidget*> fields) {
    const auto at = static_cast<std::size_t>(refusal.Field);
    return Passes(refusal, refusal.Field >= 0 && at < fields.size() ? fields.begin()[at] : nullptr);
}

bool CDialogCheck::Passes(const DialogRefusal& refusal, QWidget* field) {
    if (!refusal.Refused())
        return true;
    m_ctx.seam.Message(refusal.Text, CUiSeam::Icon::Warning);
    if (field != nullptr)
        field->setFocus();
    return false;
}

HostCheckLimits CDialogCheck::HostLimits() const {
    HostCheckLimits limits;
    limits.Creating = m_ctx.newCheck;
    limits.MaxCreate = prefs::MaxCreateChecks();
    limits.MaxTotal = prefs::MaxTotalChecks();
    if (m_ctx.cfg != nullptr) {
        CQvcString where;
        where.Format("ID >= %ld AND Type <> 1", CSnCheckCreator::kFirstCheckId);
        m_ctx.cfg->CountNodes(where, limits.ExistingChecks);
    }
    return limits;
}

void CDialogCheck::WriteCredentials(CSnNodeCfgFunction& out) const {
    if (m_useCredentials == nullptr)
        return;
    out.UseCredentials = m_useCredentials->isChecked() ? 1 : 0;
    out.CredentialsServer = CredentialsComputer().toStdString();
}

QString CDialogCheck::CredentialsComputer() const {
    return m_host != nullptr ? m_host->text().trimmed() : QString();
}

long CDialogCheck::Number(const QLineEdit& field) {
    return FieldNumber(field.text().toStdString());
}

void CDialogCheck::SetNumber(QLineEdit& field, long value) {
    field.setText(QString::number(value));
}
