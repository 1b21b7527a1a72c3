#pragma once
// CDialogTypeDns: "DNS Server Check" (type 36): the DNS server asked, the name looked up,
// the answers expected, the record type and the lookup options, all through DnsSettings,
// the struct the Engine's DNS runner reads.
#include "manager/checks/types/DialogCheck.h"

struct DnsSettings;

class CDialogTypeDns final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeDns(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const DnsSettings& settings);

    QLineEdit* m_name = nullptr;
    QLineEdit* m_expected = nullptr;
};
