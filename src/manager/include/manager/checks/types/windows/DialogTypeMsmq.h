#pragma once
// CDialogTypeMsmq: "MS Message Queue (MSMQ) Check" (250): the computer, the queue, the most
// messages and MB it may hold, whether it is a private queue, the credentials row.  Fields
// through MsmqSettings.
#include "manager/checks/types/DialogCheck.h"

class CDialogTypeMsmq final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeMsmq(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QLineEdit& QueueField() { return *m_queue; }
    QLineEdit& LengthField() { return *m_length; }
    QLineEdit& SizeField() { return *m_size; }
    QCheckBox& PrivateBox() { return *m_private; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    QLineEdit* m_queue = nullptr;
    QLineEdit* m_length = nullptr;
    QLineEdit* m_size = nullptr;
    QCheckBox* m_private = nullptr;
};
