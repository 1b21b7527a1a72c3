#include "manager/notify/DialogGlobalRecipients.h"

#include "library/ErrorTexts.h"
#include "manager/app/UiSeam.h"
#include "model/notify/AddressRules.h"
#include "model/store/SnCfg.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

QString Q(const CQvcString& text) { return QString::fromStdString(text.Str()); }
CQvcString C(const QString& text) { return CQvcString(text.toStdString()); }

} // namespace

CDialogGlobalRecipientsGroupName::CDialogGlobalRecipientsGroupName(CUiSeam& ui, const CSnDistributionGroups& groups,
                                                                   const QString& caption, const CQvcString& name,
                                                                   std::int32_t renamedId, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_groups(groups), m_renamedId(renamedId) {
    setObjectName("groupNameDialog");
    setWindowTitle(caption);
    m_name.setText(Q(name));
    m_name.setMaxLength(static_cast<int>(CSnDistributionGroup::kMaxNameLength) + 16);
    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel("&Group name:", this);
    label->setBuddy(&m_name);
    layout->addWidget(label);
    layout->addWidget(&m_name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogGlobalRecipientsGroupName::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(320, sizeHint().height());
}

CQvcString CDialogGlobalRecipientsGroupName::Name() const {
    CQvcString name = C(m_name.text());
    return name.Trim();
}

void CDialogGlobalRecipientsGroupName::accept() {
    const CQvcString refusal = CheckGroupName(m_groups, Name(), m_renamedId);
    if (!refusal.IsEmpty()) {
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return;
    }
    QDialog::accept();
}

CDialogGlobalRecipients::CDialogGlobalRecipients(CUiSeam& ui, CSnCfg& store, std::int32_t channel, QWidget* parent)
    : QDialog(parent), m_ui(ui), m_store(store), m_list(channel) {
    setObjectName("addressBookDialog");
    setWindowTitle(Q(AddressBookCaption(channel)));
    m_groups.setObjectName("groups");
    m_members.setObjectName("members");

    auto* layout = new QVBoxLayout(this);
    auto* groupLabel = new QLabel(Q(AddressBookGroupLabel(channel)), this);
    groupLabel->setBuddy(&m_groups);
    layout->addWidget(groupLabel);
    layout->addWidget(&m_groups);
    m_membersLabel.setBuddy(&m_members);
    layout->addWidget(&m_membersLabel);
    layout->addWidget(&m_members);
    layout->addWidget(new QLabel("Separate the addresses with \";\" or \",\".", this));
    auto* row = new QHBoxLayout;
    auto* save = new QPushButton("&Save Members", this);
    row->addWidget(save);
    row->addStretch(1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    row->addWidget(buttons);
    layout->addLayout(row);

    connect(save, &QPushButton::clicked, this, [this] { SaveMembers(); });
    connect(&m_groups, &QComboBox::activated, this, &CDialogGlobalRecipients::Choose);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogGlobalRecipients::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    if (const long code = m_list.Load(m_store))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    Reload(m_list.DefaultId());
    resize(460, 360);
}

void CDialogGlobalRecipients::Reload(std::int32_t select) {
    const QSignalBlocker block(m_groups);
    m_groups.clear();
    int selected = m_list.Count() > 0 ? 0 : -1;
    for (int i = 0; i < m_list.Count(); ++i) {
        const CSnDistributionGroup& g = *m_list.At(static_cast<std::size_t>(i));
        m_groups.addItem(Q(m_list.DisplayName(g)), g.Id());
        if (g.Id() == select)
            selected = i;
    }
    const QString separator(60, '-');
    m_groups.addItem(separator, int(kSeparator));
    m_groups.addItem("Create New Group...", int(kCreate));
    m_groups.addItem("Rename Group...", int(kRename));
    m_groups.addItem("Delete Group...", int(kDelete));
    m_groups.addItem(separator, int(kSeparator));
    m_groups.addItem("Set as Default...", int(kSetDefault));
    m_currentId = selected >= 0 ? m_list.At(static_cast<std::size_t>(selected))->Id() : 0;
    ShowCurrent();
}

// Selects the current group in the drop-down and shows its members.
void CDialogGlobalRecipients::ShowCurrent() {
    const QSignalBlocker block(m_groups);
    const CSnDistributionGroup* g = m_list.Find(m_currentId);
    m_groups.setCurrentIndex(g ? m_groups.findData(m_currentId) : -1);
    m_membersLabel.setText(g ? QString("'%1' Group Members").arg(Q(g->Name())) : QString());
    QString members = g ? Q(g->Members()) : QString();
    m_members.setPlainText(members.replace(";", "; "));
    m_members.setEnabled(g != nullptr);
}

void CDialogGlobalRecipients::Choose(int index) {
    const int entry = m_groups.itemData(index).toInt();
    switch (entry) {
    case kCreate:
        CreateGroup();
        break;
    case kRename:
        RenameGroup();
        break;
    case kDelete:
        DeleteGroup();
        break;
    case kSetDefault:
        SetDefault();
        break;
    case kSeparator:
        ShowCurrent();
        break;
    default:
        m_currentId = entry;
        ShowCurrent();
        break;
    }
}

void CDialogGlobalRecipients::CreateGroup() {
    CDialogGlobalRecipientsGroupName dialog(m_ui, m_list, "Create New Group", CQvcString(), 0, this);
    if (m_ui.ExecDialog(dialog) != CUiSeam::kAccepted)
        return ShowCurrent();
    CSnDistributionGroup* created = nullptr;
    if (m_list.Create(m_store, dialog.Name(), created) != 0 || created == nullptr) {
        m_ui.Message("Unable to create group.", CUiSeam::Icon::Error);
        return ShowCurrent();
    }
    m_changed = true;
    Reload(created->Id());
    // A new group is empty: its members are what the user types next.
    m_members.setFocus();
}

void CDialogGlobalRecipients::RenameGroup() {
    CSnDistributionGroup* g = m_list.Find(m_currentId);
    if (g == nullptr) {
        m_ui.Message("No Group selected.", CUiSeam::Icon::Warning);
        return ShowCurrent();
    }
    CDialogGlobalRecipientsGroupName dialog(m_ui, m_list, "Rename Group", g->Name(), g->Id(), this);
    if (m_ui.ExecDialog(dialog) != CUiSeam::kAccepted)
        return ShowCurrent();
    const CQvcString previous = g->Name();
    g->SetName(dialog.Name());
    if (const long code = m_list.Save(m_store, *g)) {
        g->SetName(previous);
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    } else {
        m_changed = true;
    }
    Reload(m_currentId);
}

void CDialogGlobalRecipients::DeleteGroup() {
    const CSnDistributionGroup* g = m_list.Find(m_currentId);
    if (g == nullptr) {
        m_ui.Message("No Group selected.", CUiSeam::Icon::Warning);
        return ShowCurrent();
    }
    if (g->IsBuiltIn()) {
        m_ui.Message("Cannot delete a built-in group.", CUiSeam::Icon::Warning);
        return ShowCurrent();
    }
    const CQvcString question = CQvcString("Are you sure you want to delete group '") + g->Name() + "' ?";
    if (m_ui.Message(question, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
        return ShowCurrent();
    if (m_list.Delete(m_store, m_currentId) != 0) {
        m_ui.Message("Unable to delete Group.", CUiSeam::Icon::Error);
        return ShowCurrent();
    }
    m_changed = true;
    Reload(m_list.Count() > 0 ? m_list.At(0)->Id() : 0);
}

void CDialogGlobalRecipients::SetDefault() {
    const CSnDistributionGroup* g = m_list.Find(m_currentId);
    if (g == nullptr) {
        m_ui.Message("No Group selected.", CUiSeam::Icon::Warning);
        return ShowCurrent();
    }
    const CQvcString question = CQvcString("Make group '") + g->Name() + "' the default group?";
    if (m_ui.Message(question, CUiSeam::Icon::Question, CUiSeam::Buttons::YesNo) != CUiSeam::kYes)
        return ShowCurrent();
    if (const long code = m_list.SetDefault(m_store, m_currentId))
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
    else
        m_changed = true;
    Reload(m_currentId);
}

bool CDialogGlobalRecipients::SaveMembers() {
    CSnDistributionGroup* g = m_list.Find(m_currentId);
    if (g == nullptr) {
        m_ui.Message("No Group selected.", CUiSeam::Icon::Warning);
        return false;
    }
    CQvcString members;
    const CQvcString refusal = CheckGroupMembers(m_list.Channel(), C(m_members.toPlainText()), members);
    if (!refusal.IsEmpty()) {
        m_ui.Message(refusal, CUiSeam::Icon::Warning);
        return false;
    }
    const CQvcString previous = g->Members();
    g->SetMembers(members);
    if (const long code = m_list.Save(m_store, *g)) {
        g->SetMembers(previous);
        m_ui.Message(ErrorBoxText(code), CUiSeam::Icon::Error);
        return false;
    }
    m_changed = true;
    ShowCurrent();
    return true;
}

void CDialogGlobalRecipients::done(int result) {
    // The engine resolves groups with the other notification settings.
    if (m_changed)
        m_store.SignalGlobalSettingsChanged();
    QDialog::done(result);
}

void CDialogGlobalRecipients::accept() {
    if (m_list.Find(m_currentId) != nullptr && !SaveMembers())
        return;
    QDialog::accept();
}
