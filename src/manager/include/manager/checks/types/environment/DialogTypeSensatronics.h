#pragma once
// CDialogTypeSensatronics: "Sensatronics Check" for every environmental type (41, 200-208,
// 210; the type it is made with): the sensor unit, the probe, the range its value must stay
// in, the temperature unit of that range (temperature checks only) and the log file.
// "Retrieve settings..." reads the unit over HTTP (CSnSensatrDeviceCfg), shows what it is
// and lists its probes of the dialog's type; choosing one sets the probe and its
// temperature unit.  The unit is read on a thread of its own, so the dialog stays usable
// while a slow or absent unit runs into its time-outs.  Fields through
// EnvironmentalSettings.
#include "manager/checks/types/DialogCheck.h"

#include <memory>

class QTimer;

class CDialogTypeSensatronics final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeSensatronics(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);
    QLineEdit& ProbeField() { return *m_probe; }
    QComboBox& ProbeCombo() { return *m_probes; }
    QLineEdit& LowField() { return *m_low; }
    QLineEdit& HighField() { return *m_high; }
    QComboBox& UnitCombo() { return *m_unit; }
    QCheckBox& LogBox() { return *m_log; }
    QLineEdit& LogFileField() { return *m_logFile; }
    QPushButton& RetrieveButton() { return *m_retrieve; }
    QLabel& UnitDetails() { return *m_details; }
    // Starts reading the unit named by the host field; when it ends the details and probes
    // are shown, or a failure as a warning.
    void Retrieve();
    // A reading started by Retrieve has not ended yet.
    bool Retrieving() const { return m_reading != nullptr; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;

private:
    struct Reading;
    void ChooseProbe(int index);
    // Shows the reading once its thread has ended (called by the poll timer).
    void TakeReading();

    QLineEdit* m_probe = nullptr;
    QComboBox* m_probes = nullptr;
    QLineEdit* m_low = nullptr;
    QLineEdit* m_high = nullptr;
    QComboBox* m_unit = nullptr;
    QCheckBox* m_log = nullptr;
    QLineEdit* m_logFile = nullptr;
    QPushButton* m_retrieve = nullptr;
    QLabel* m_details = nullptr;
    QTimer* m_poll = nullptr;
    std::shared_ptr<Reading> m_reading; // shared with the thread that reads the unit
};
