#pragma once
// CDialogTypeSerialDevice: "Serial Device Check" (260): the device, flow control, baud rate,
// the command sent once the line is open, the text the answer must include and the
// time-out.  Fields through SerialDeviceSettings.
#include "manager/checks/types/DialogCheck.h"

class CDialogTypeSerialDevice final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSerialDevice(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QLineEdit& DeviceField() { return *m_device; }
    QComboBox& FlowCombo() { return *m_flow; }
    QComboBox& BaudCombo() { return *m_baud; }
    QCheckBox& SendBox() { return *m_sendBox; }
    QLineEdit& SendField() { return *m_send; }
    QCheckBox& ExpectBox() { return *m_expectBox; }
    QLineEdit& ExpectField() { return *m_expect; }
    QLineEdit& TimeoutField() { return *m_timeout; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    QLineEdit* m_device = nullptr;
    QComboBox* m_flow = nullptr;
    QComboBox* m_baud = nullptr;
    QCheckBox* m_sendBox = nullptr;
    QLineEdit* m_send = nullptr;
    QCheckBox* m_expectBox = nullptr;
    QLineEdit* m_expect = nullptr;
    QLineEdit* m_timeout = nullptr;
};
