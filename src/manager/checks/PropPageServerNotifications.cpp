#include "manager/checks/PropPageServerNotifications.h"

#include "manager/app/UiSeam.h"
#include "manager/checks/DialogRecipients.h"
#include "manager/checks/DialogSnmpTrapSettings.h"
#include "manager/checks/PropSheetServer.h"
#include "manager/checks/SheetText.h"
#include "model/notify/SnDistributionGroups.h"
#include "model/notify/SnMsnSettings.h"
#include "model/notify/SnNetPopupSettings.h"
#include "model/notify/SnPagerSettings.h"
#include "model/notify/SnRecipients.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include <QGridLayout>
#include <QGroupBox>

using sheettext::Q;

namespace {

constexpr const char* kChannelNames[] = {"E-mail", "Network Popup", "SMS", "Pager", "SNMP Trap", "Live Messenger"};
constexpr int kMaxShown = 60; // characters of a recipient text shown beside its box

} // namespace

CPropPageServerNotifications::CPropPageServerNotifications(CPropSheetServer& sheet) : CPropPage(sheet) {
    setObjectName("notificationsPage");
    // Whether each channel is set up in the global notification settings.
    if (CSnCfg* cfg = sheet.Context().cfg) {
        CSnSmtpSettings smtp;
        CSnNetPopupSettings popup;
        CSnSmsSettings sms;
        CSnPagerSettings pager;
        CSnSnmpTrapsSettings traps;
        CSnMsnSettings msn;
        const sheetrules::ChannelSetup setup{smtp.Read(*cfg) == 0 ? &smtp : nullptr,
                                             popup.Read(*cfg) == 0 ? &popup : nullptr,
                                             sms.Read(*cfg) == 0 ? &sms : nullptr,
                                             pager.Read(*cfg) == 0 ? &pager : nullptr,
                                             traps.Read(*cfg) == 0 ? &traps : nullptr,
                                             msn.Read(*cfg) == 0 ? &msn : nullptr};
        for (int c = 0; c < 6; ++c)
            m_channelEnabled[static_cast<std::size_t>(c)] = sheetrules::ChannelEnabled(c, setup);
    }
    const CSnNodeCfgAction& action = sheet.Node().Cfg.Action;
    auto* grid = new QGridLayout(this);
    for (int c = 0; c < 6; ++c) {
        auto* group = new QGroupBox(kChannelNames[c]);
        auto* rows = new QGridLayout(group);
        for (int k = 0; k < 2; ++k) {
            const int entry = 2 * c + k;
            const auto e = static_cast<std::size_t>(entry);
            m_texts[e] = action.Notify[entry].Recipients;
            m_boxes[e] = new QCheckBox(k == 0 ? "Notify when check fails" : sheetrules::SecondNotifyCaption(0));
            m_boxes[e]->setChecked(action.Notify[entry].Enabled != 0);
            m_buttons[e] = new QPushButton("...");
            m_buttons[e]->setMaximumWidth(m_buttons[e]->fontMetrics().horizontalAdvance("....") + 16);
            m_buttons[e]->setToolTip(c == kChannelSnmpTrap ? "SNMP trap settings" : "Choose the recipients");
            m_shown[e] = new QLabel;
            // The recipients shown beside the box never widen the sheet (the tooltip has them all).
            m_shown[e]->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
            m_shown[e]->setTextFormat(Qt::PlainText);
            ShowText(entry);
            rows->addWidget(m_boxes[e], k, 0);
            rows->addWidget(m_buttons[e], k, 1);
            rows->addWidget(m_shown[e], k, 2);
            rows->setColumnStretch(2, 1);
            const bool enabled = m_channelEnabled[static_cast<std::size_t>(c)];
            m_boxes[e]->setEnabled(enabled);
            m_buttons[e]->setEnabled(enabled);
            connect(m_buttons[e], &QPushButton::clicked, this, [this, entry] { Choose(entry); });
        }
        if (!m_channelEnabled[static_cast<std::size_t>(c)])
            group->setToolTip("Not set up in the notification settings (Tools > Notification Settings)");
        grid->addWidget(group, c / 2, c % 2);
    }
    grid->setRowStretch(3, 1);
}

void CPropPageServerNotifications::ShowText(int entry) {
    const auto e = static_cast<std::size_t>(entry);
    QString shown;
    if (entry / 2 == kChannelSnmpTrap) {
        shown = Q(m_texts[e]).replace(";;", ", ").replace(":=", ": ");
    } else {
        // Groups by name when the address book can be read, addresses as they are.
        CSnRecipients list;
        list.Parse(m_texts[e]);
        CSnDistributionGroups groups(entry / 2 + 1);
        if (CSnCfg* cfg = m_sheet.Context().cfg; cfg != nullptr && list.Count() > 0)
            groups.Load(*cfg);
        QStringList parts;
        for (const CSnRecipient& r : list) {
            const CSnDistributionGroup* g = r.IsGroup() ? groups.Find(r.GroupId()) : nullptr;
            parts << (g ? "[" + Q(g->Name()) + "]" : Q(r.ToText()));
        }
        shown = parts.join("; ");
    }
    m_shown[e]->setToolTip(shown);
    m_shown[e]->setText(shown.size() > kMaxShown ? shown.left(kMaxShown - 3) + "..." : shown);
}

void CPropPageServerNotifications::OnActivate() {
    for (int c = 0; c < 6; ++c)
        m_boxes[static_cast<std::size_t>(2 * c + 1)]->setText(sheetrules::SecondNotifyCaption(m_sheet.Mode()));
}

void CPropPageServerNotifications::Choose(int entry) {
    const auto e = static_cast<std::size_t>(entry);
    const CPropSheetServer::Setup& setup = m_sheet.Context();
    if (entry / 2 == kChannelSnmpTrap) {
        CSnSnmpTrapsSettings global;
        if (setup.cfg != nullptr)
            global.Read(*setup.cfg);
        CDialogSnmpTrapSettings dialog(m_texts[e], global, this);
        if (setup.seam.ExecDialog(dialog) == CUiSeam::kAccepted)
            m_texts[e] = dialog.Text();
    } else {
        CDialogRecipients dialog(setup.seam, setup.cfg, entry / 2, m_texts[e], this);
        if (setup.seam.ExecDialog(dialog) == CUiSeam::kAccepted)
            m_texts[e] = dialog.Text();
    }
    ShowText(entry);
}

void CPropPageServerNotifications::Confirm() {
    CSnNodeCfgAction& action = m_sheet.Node().Cfg.Action;
    for (int entry = 0; entry < kNotifyEntries; ++entry) {
        const auto e = static_cast<std::size_t>(entry);
        CSnNodeCfgActionNotification notify = action.Notify[entry];
        notify.Enabled = m_boxes[e]->isChecked() ? 1 : 0;
        notify.Recipients = m_texts[e];
        action.Notify.Assign(entry, notify);
    }
}
