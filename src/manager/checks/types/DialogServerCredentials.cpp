#include "manager/checks/types/DialogServerCredentials.h"

#include "library/ErrorTexts.h"
#include "manager/app/UiSeam.h"
#include "model/checks/TypeDialogRules.h"
#include "model/store/SnCfg.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString Text(const CQvcString& text) {
    return QString::fromStdString(text.Str());
}

} // namespace

CDialogServerCredentials::CDialogServerCredentials(CUiSeam& ui, CSnCfg* store, const QString& server,
                                                   QWidget* parent)
    : QDialog(parent), m_ui(ui), m_store(store) {
    setObjectName("serverCredentialsDialog");
    setWindowTitle("Server Credentials");
    if (m_store != nullptr)
        m_list.Read(*m_store);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(
        new QLabel("Accounts with which the Sentrelle Service connects to these computers:", this));
    m_entries = new QTreeWidget(this);
    m_entries->setObjectName("credentialEntries");
    m_entries->setHeaderLabels({"Server", "Login"});
    m_entries->setRootIsDecorated(false);
    m_entries->header()->setSectionResizeMode(QHeaderView::Stretch);
    m_entries->setMinimumHeight(120);
    outer->addWidget(m_entries);

    auto* form = new QFormLayout;
    m_server = new QLineEdit(server, this);
    m_login = new QLineEdit(this);
    m_password = new QLineEdit(this);
    m_confirm = new QLineEdit(this);
    m_password->setEchoMode(QLineEdit::Password);
    m_confirm->setEchoMode(QLineEdit::Password);
    form->addRow("&Server:", m_server);
    form->addRow("&Login:", m_login);
    form->addRow("&Password:", m_password);
    form->addRow("&Confirm password:", m_confirm);
    outer->addLayout(form);

    auto* row = new QHBoxLayout;
    auto* set = new QPushButton("S&et", this);
    m_remove = new QPushButton("&Remove", this);
    row->addStretch(1);
    row->addWidget(set);
    row->addWidget(m_remove);
    outer->addLayout(row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    outer->addWidget(buttons);

    connect(set, &QPushButton::clicked, this, [this] { SetEntry(); });
    connect(m_remove, &QPushButton::clicked, this, &CDialogServerCredentials::RemoveEntry);
    connect(m_entries, &QTreeWidget::currentItemChanged, this, &CDialogServerCredentials::ShowEntry);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogServerCredentials::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    ShowList(server);
    resize(440, sizeHint().height());
}

void CDialogServerCredentials::ShowList(const QString& select) {
    m_entries->clear();
    QTreeWidgetItem* chosen = nullptr;
    for (const CSnCfgServerCredentials::Entry& e : m_list.Entries) {
        auto* item = new QTreeWidgetItem(m_entries, {Text(e.Server), Text(e.Login)});
        if (!select.isEmpty() && e.Server.EqualsNoCase(select.toStdString()))
            chosen = item;
    }
    if (chosen != nullptr)
        m_entries->setCurrentItem(chosen);
    m_remove->setEnabled(chosen != nullptr);
}

void CDialogServerCredentials::ShowEntry() {
    QTreeWidgetItem* item = m_entries->currentItem();
    m_remove->setEnabled(item != nullptr);
    if (item == nullptr)
        return;
    const CSnCfgServerCredentials::Entry* e = m_list.Find(item->text(0).toStdString());
    if (e == nullptr)
        return;
    const QString password = Text(CQvcString::Unscramble(e->Password.Str()));
    m_server->setText(Text(e->Server));
    m_login->setText(Text(e->Login));
    m_password->setText(password);
    m_confirm->setText(password);
}

bool CDialogServerCredentials::SetEntry() {
    CSnCfgServerCredentials::Entry entry{m_server->text().toStdString(),
                                         m_login->text().trimmed().toStdString(),
                                         m_password->text().toStdString()};
    const DialogRefusal refusal = CheckCredentialsEntry(entry, m_confirm->text().toStdString());
    if (refusal.Refused()) {
        m_ui.Message(refusal.Text, CUiSeam::Icon::Warning);
        return false;
    }
    entry.Password = CQvcString::Scramble(entry.Password.Str());
    PutCredentials(m_list, entry);
    ShowList(m_server->text().trimmed());
    return true;
}

void CDialogServerCredentials::RemoveEntry() {
    QTreeWidgetItem* item = m_entries->currentItem();
    if (item == nullptr)
        return;
    const CQvcString server = item->text(0).toStdString();
    std::erase_if(m_list.Entries,
                  [&](const CSnCfgServerCredentials::Entry& e) { return e.Server == server; });
    for (QLineEdit* field : {m_server, m_login, m_password, m_confirm})
        field->clear();
    ShowList({});
}

void CDialogServerCredentials::accept() {
    // The fields as they stand count as "Set", so that OK never drops what was typed.
    if (!m_server->text().trimmed().isEmpty() && !SetEntry())
        return;
    if (m_store != nullptr) {
        if (const long code = m_list.Write(*m_store)) {
            m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
            return;
        }
    }
    QDialog::accept();
}
