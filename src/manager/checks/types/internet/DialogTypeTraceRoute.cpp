#include "manager/checks/types/internet/DialogTypeTraceRoute.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QLineEdit>

CDialogTypeTraceRoute::CDialogTypeTraceRoute(QWidget* parent, CSnNode& w, std::int32_t,
                                             const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeTraceRoute, ctx, "TraceRoute Check") {
    setObjectName("traceRouteDialog");
    AddHostRow("&Host/IP:");
    m_maxHops = &AddNumberRow("Max. H&ops:");
    m_maxHops->setObjectName("maxHops");
    m_maxHopMs = &AddNumberRow("&Maximum response time of a hop:", "milliseconds");
    m_maxHopMs->setObjectName("maxHopMs");
    AddOption("A &slower hop makes the check fail", 2).setObjectName("checkHopTime");
    AddOption("&Resolve addresses to hostnames", 0).setObjectName("resolve");
    BeginGroup("Hops");
    QButtonGroup& rule = AddOptionChoice(1, {{"&No hop check", '0'},
                                             {"At &least one listed hop in route", '1'},
                                             {"Non&e of the listed hops in route", '2'}});
    for (const auto& [code, name] : {std::pair{'0', "noHopCheck"}, {'1', "anyListed"}, {'2', "noneListed"}})
        rule.button(code)->setObjectName(name);
    m_hops = &AddTextRow("Hop l&ist:");
    m_hops->setObjectName("hops");
    m_hops->setToolTip("Addresses or host names separated by commas.");
    EndGroup();
    AddSampleLink();
    Show(TraceRouteSettings::Read(Initial()));
    Finish();
}

void CDialogTypeTraceRoute::Show(const TraceRouteSettings& s) {
    HostField()->setText(QString::fromStdString(s.Host));
    SetNumber(*m_maxHops, s.MaxHops);
    SetNumber(*m_maxHopMs, s.MaxHopMs);
    m_hops->setText(QString::fromStdString(s.Hops));
    ShowOptions(s);
}

bool CDialogTypeTraceRoute::Collect(CSnNodeCfgFunction& out) {
    TraceRouteSettings s = ReadOptions<TraceRouteSettings>(out);
    s.Host = HostField()->text().trimmed().toStdString();
    s.MaxHops = static_cast<int>(Number(*m_maxHops));
    s.MaxHopMs = static_cast<int>(Number(*m_maxHopMs));
    s.Hops = m_hops->text().trimmed().toStdString();
    if (!PassesAt(CheckTraceRouteFields(s, HostLimits()), {HostField(), m_hops, m_maxHops, m_maxHopMs}))
        return false;
    s.Write(out);
    return true;
}

void CDialogTypeTraceRoute::FillSample() {
    TraceRouteSettings s;
    s.Host = "127.0.0.1";
    s.Rule = TraceRouteSettings::HopRule::AnyListed;
    s.Hops = "127.0.0.1";
    Show(s);
}
