#pragma once
// CDialogTypeTraceRoute: "TraceRoute Check" (type 11): the host traced, the most hops,
// the slowest hop allowed, the hop rule with its list of hops and name resolution,
// through TraceRouteSettings.
#include "manager/checks/types/DialogCheck.h"

struct TraceRouteSettings;

class CDialogTypeTraceRoute final : public CDialogCheck {
    Q_OBJECT
public:
    CDialogTypeTraceRoute(QWidget* parent, CSnNode& w, std::int32_t type, const CheckDialogContext& ctx);

protected:
    bool Collect(CSnNodeCfgFunction& out) override;
    void FillSample() override;

private:
    void Show(const TraceRouteSettings& settings);

    QLineEdit* m_maxHops = nullptr;
    QLineEdit* m_maxHopMs = nullptr;
    QLineEdit* m_hops = nullptr;
};
