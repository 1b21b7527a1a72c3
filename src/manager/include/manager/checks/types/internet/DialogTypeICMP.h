#pragma once
// CDialogTypeICMP: "ICMP/Ping Check" (type 10): the host, the time-out of each echo
// request, the number of requests, their time to live and their payload size.  OK runs
// the ICMP checks of the model (CheckIcmpFields) and writes the fields through
// IcmpSettings; the sample link fills in a loopback host with short time-outs.
#include "manager/checks/types/DialogCheck.h"

struct IcmpSettings;

class CDialogTypeICMP final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeICMP(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

    QLineEdit& TimeoutField() { return *m_timeout; }
    QLineEdit& RetriesField() { return *m_retries; }
    QLineEdit& TtlField() { return *m_ttl; }
    QLineEdit& BufferField() { return *m_buffer; }

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const IcmpSettings& settings);

    QLineEdit* m_timeout = nullptr;
    QLineEdit* m_retries = nullptr;
    QLineEdit* m_ttl = nullptr;
    QLineEdit* m_buffer = nullptr;
};
