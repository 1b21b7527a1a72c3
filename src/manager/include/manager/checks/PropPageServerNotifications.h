#pragma once
// CPropPageServerNotifications: the twelve notification entries, two per channel.  The
// "..." buttons open the recipient chooser of the channel (or the trap settings for the
// SNMP trap pair); a channel that the global notification settings leave unset cannot
// be changed.
#include "manager/checks/PropPage.h"
#include "model/tree/SnNodeCfg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>

#include <array>

class CPropPageServerNotifications final : public CPropPage {
    Q_OBJECT
public:
    explicit CPropPageServerNotifications(CPropSheetServer& sheet);

    void OnActivate() override;
    void Confirm() override;

    QCheckBox& Box(int entry) { return *m_boxes[static_cast<std::size_t>(entry)]; }
    QPushButton& Button(int entry) { return *m_buttons[static_cast<std::size_t>(entry)]; }
    const CQvcString& Text(int entry) const { return m_texts[static_cast<std::size_t>(entry)]; }
    bool ChannelEnabled(int channel) const { return m_channelEnabled[static_cast<std::size_t>(channel)]; }
    void Choose(int entry);

private:
    void ShowText(int entry);

    std::array<QCheckBox*, kNotifyEntries> m_boxes{};
    std::array<QPushButton*, kNotifyEntries> m_buttons{};
    std::array<QLabel*, kNotifyEntries> m_shown{};
    std::array<CQvcString, kNotifyEntries> m_texts;
    std::array<bool, 6> m_channelEnabled{};
};
