#pragma once
// CDialogRecipients: picks the recipients of one notification entry among the channel's
// distribution groups and addresses (the address book), or adds an address by hand.  The
// result is the entry's recipient text ("~<group id>" and addresses joined by ";").
#include "library/QvcString.h"

#include <QDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include <cstdint>

class CSnCfg;
class CUiSeam;

class CDialogRecipients final : public QDialog {
    Q_OBJECT
public:
    // `channel` is the channel index 0..5 (without the trap channel 4).
    CDialogRecipients(CUiSeam& seam, CSnCfg* cfg, int channel, const CQvcString& text, QWidget* parent = nullptr);

    // The checked entries in list order.
    CQvcString Text() const;
    QListWidget& List() { return m_list; }
    QLineEdit& NewAddress() { return m_address; }
    // Adds the typed address (checked) when the channel's rule accepts it.
    void AddTyped();

private:
    void AddItem(const QString& label, const CQvcString& entry, bool checked);

    CUiSeam& m_seam;
    int m_channel;
    QListWidget m_list;
    QLineEdit m_address;
    QPushButton m_add{"&Add"};
};
