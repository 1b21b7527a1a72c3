#include "manager/checks/DialogRecipients.h"

#include "manager/app/UiSeam.h"
#include "manager/checks/SheetText.h"
#include "model/notify/AddressRules.h"
#include "model/notify/SnDistributionGroups.h"
#include "model/notify/SnRecipients.h"
#include "model/store/SnCfg.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>

using sheettext::Q;

namespace {

constexpr const char* kChannelTitles[] = {"E-mail", "Network Popup", "SMS", "Pager", "SNMP Trap", "Live Messenger"};
constexpr int kEntryRole = Qt::UserRole;

} // namespace

CDialogRecipients::CDialogRecipients(CUiSeam& seam, CSnCfg* cfg, int channel, const CQvcString& text,
                                     QWidget* parent)
    : QDialog(parent), m_seam(seam), m_channel(channel) {
    setObjectName("recipientsDialog");
    setWindowTitle(QString("Recipients - ") + kChannelTitles[channel]);
    CSnRecipients chosen;
    chosen.Parse(text);
    CSnDistributionGroups groups(channel + 1);
    if (cfg != nullptr)
        groups.Load(*cfg);

    // The chosen entries first, in their order, then the rest of the address book:
    // groups, then the addresses their members name.
    for (const CSnRecipient& r : chosen) {
        const CSnDistributionGroup* g = r.IsGroup() ? groups.Find(r.GroupId()) : nullptr;
        AddItem(r.IsGroup() ? (g ? "[" + Q(g->Name()) + "]" : "[group " + QString::number(r.GroupId()) + "]")
                            : Q(r.AddressText()),
                r.ToText(), true);
    }
    for (int i = 0; i < groups.Count(); ++i) {
        const CSnDistributionGroup& g = *groups.At(static_cast<std::size_t>(i));
        if (chosen.FindGroup(g.Id()) == nullptr)
            AddItem("[" + Q(groups.DisplayName(g)) + "]", CSnRecipient::Group(g.Id()).ToText(), false);
    }
    CSnRecipients known;
    for (int i = 0; i < groups.Count(); ++i) {
        CSnRecipients members;
        members.Parse(groups.At(static_cast<std::size_t>(i))->Members());
        for (const CSnRecipient& m : members)
            if (!m.IsGroup() && chosen.FindAddress(m.AddressText()) == nullptr &&
                known.FindAddress(m.AddressText()) == nullptr) {
                known.AddAddress(m.AddressText());
                AddItem(Q(m.AddressText()), m.AddressText(), false);
            }
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel("Notify these distribution groups [in brackets] and addresses:"), 0, 0, 1, 2);
    grid->addWidget(&m_list, 1, 0, 1, 2);
    auto* addLabel = new QLabel("&New address:");
    addLabel->setBuddy(&m_address);
    grid->addWidget(addLabel, 2, 0, 1, 2);
    grid->addWidget(&m_address, 3, 0);
    grid->addWidget(&m_add, 3, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    grid->addWidget(buttons, 4, 0, 1, 2);
    connect(&m_add, &QPushButton::clicked, this, &CDialogRecipients::AddTyped);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(420, 360);
}

void CDialogRecipients::AddItem(const QString& label, const CQvcString& entry, bool checked) {
    auto* item = new QListWidgetItem(label, &m_list);
    item->setData(kEntryRole, Q(entry));
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

void CDialogRecipients::AddTyped() {
    CQvcString address(m_address.text().toStdString());
    address.Trim();
    if (address.IsEmpty())
        return;
    if (!IsValidAddress(m_channel + 1, address)) {
        m_seam.Message(InvalidAddressMessage(m_channel + 1, address), CUiSeam::Icon::Warning);
        return;
    }
    for (int i = 0; i < m_list.count(); ++i)
        if (CQvcString(m_list.item(i)->data(kEntryRole).toString().toStdString()).EqualsNoCase(address)) {
            m_list.item(i)->setCheckState(Qt::Checked);
            m_address.clear();
            return;
        }
    AddItem(Q(address), address, true);
    m_address.clear();
}

CQvcString CDialogRecipients::Text() const {
    CSnRecipients out;
    for (int i = 0; i < m_list.count(); ++i) {
        const QListWidgetItem* item = m_list.item(i);
        if (item->checkState() != Qt::Checked)
            continue;
        CSnRecipients one;
        one.Parse(CQvcString(item->data(kEntryRole).toString().toStdString()));
        for (const CSnRecipient& r : one)
            r.IsGroup() ? (void)out.AddGroup(r.GroupId()) : (void)out.AddAddress(r.AddressText());
    }
    return out.ToText();
}
