#pragma once
// CDialogSnmpTrapSettings: where the SNMP trap of a check's trap entries goes: agent,
// port, community and OID.  Empty fields take the global SNMP trap settings.  The text is
// "Agent:=...;;Port:=...;;Community:=...;;OID:=...".
#include "library/QvcString.h"

#include <QDialog>
#include <QLineEdit>

class CSnSnmpTrapsSettings;

class CDialogSnmpTrapSettings final : public QDialog {
    Q_OBJECT
public:
    CDialogSnmpTrapSettings(const CQvcString& text, const CSnSnmpTrapsSettings& global, QWidget* parent = nullptr);
    CQvcString Text() const;

    QLineEdit& Agent() { return m_agent; }
    QLineEdit& Port() { return m_port; }
    QLineEdit& Community() { return m_community; }
    QLineEdit& Oid() { return m_oid; }

private:
    QLineEdit m_agent;
    QLineEdit m_port;
    QLineEdit m_community;
    QLineEdit m_oid;
};
