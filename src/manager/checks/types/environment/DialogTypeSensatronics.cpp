#include "manager/checks/types/environment/DialogTypeSensatronics.h"

#include "manager/app/UiSeam.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/sensors/SnSensatrDeviceCfg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

// How long "Retrieve settings..." waits for the unit.
constexpr unsigned kHostRequired = 51687;
constexpr std::chrono::milliseconds kConnectTimeout{3000};
constexpr std::chrono::milliseconds kRequestTimeout{8000};

// The unit's address as a URL: a bare name or "host:port" gets "http://" and a final "/".
CQvcString UnitUrl(const QString& host) {
    QString url = host.trimmed();
    if (!url.startsWith("http://", Qt::CaseInsensitive) && !url.startsWith("https://", Qt::CaseInsensitive))
        url.prepend("http://");
    if (!url.endsWith('/'))
        url.append('/');
    return url.toStdString();
}

} // namespace

// What the reading thread fills; `done` tells the dialog it may look.
struct CDialogTypeSensatronics::Reading {
    CSnSensatrDeviceCfg unit;
    CQvcString error;
    long code = 0;
    std::atomic<bool> done{false};
};

CDialogTypeSensatronics::CDialogTypeSensatronics(QWidget* parent, CSnNode& w, std::int32_t type,
                                                 const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, IsEnvironmentalType(type) ? type : kTypeTemperature, ctx, "Sensatronics Check") {
    setObjectName("sensatronicsDialog");
    AddHostRow("Device &Name/IP:");
    m_retrieve = new QPushButton("&Retrieve settings...", this);
    m_details = new QLabel(this);
    m_details->setObjectName("unitDetails");
    m_details->setWordWrap(true);
    auto* retrieveRow = new QHBoxLayout;
    retrieveRow->addWidget(m_retrieve);
    retrieveRow->addWidget(m_details, 1);
    Form().addRow(retrieveRow);
    m_probe = &AddNumberRow("&Probe:");
    m_probes = new QComboBox(this);
    m_probes->setEnabled(false);
    m_probes->setToolTip("The probes of this kind that the unit reported; press \"Retrieve settings...\"");
    Form().addRow(BuddyLabel("Probes of the &unit:", m_probes), m_probes);
    BeginGroup(QString("%1 must stay between").arg(CheckTypeName(Type())));
    m_low = &AddTextRow("&Minimum:");
    m_high = &AddTextRow("Ma&ximum:");
    m_unit = new QComboBox(this);
    FillCodeCombo(*m_unit, TemperatureUnits());
    m_unit->setEnabled(Type() == kTypeTemperature);
    Form().addRow(BuddyLabel("&Temperature unit:", m_unit), m_unit);
    EndGroup();
    BeginGroup("Logging");
    m_log = new QCheckBox("&Log every value read to a file", this);
    Form().addRow(m_log);
    m_logFile = &AddTextRow("Log &file:");
    EndGroup();
    connect(m_log, &QCheckBox::toggled, m_logFile, &QWidget::setEnabled);
    connect(m_retrieve, &QPushButton::clicked, this, &CDialogTypeSensatronics::Retrieve);
    m_poll = new QTimer(this);
    m_poll->setInterval(50);
    connect(m_poll, &QTimer::timeout, this, &CDialogTypeSensatronics::TakeReading);
    connect(m_probes, &QComboBox::activated, this, &CDialogTypeSensatronics::ChooseProbe);

    const EnvironmentalSettings s = EnvironmentalSettings::Read(Initial());
    HostField()->setText(QString::fromStdString(s.Device));
    SetNumber(*m_probe, s.Probe);
    m_low->setText(QString::fromStdString(s.Low));
    m_high->setText(QString::fromStdString(s.High));
    m_unit->setCurrentIndex(m_unit->findData(s.TemperatureUnit));
    m_log->setChecked(s.Log);
    m_logFile->setText(QString::fromStdString(s.LogFile));
    m_logFile->setEnabled(s.Log);
    Finish();
}

void CDialogTypeSensatronics::Retrieve() {
    if (m_reading != nullptr)
        return;
    if (HostField()->text().trimmed().isEmpty()) {
        Passes(DialogRefusal::Numbered(kHostRequired), HostField());
        return;
    }
    auto reading = std::make_shared<Reading>();
    reading->unit.SetTimeouts(kConnectTimeout, kRequestTimeout);
    // The thread holds the reading, never the dialog: a dialog closed meanwhile only
    // leaves the thread to finish on its own.
    std::thread([reading, url = UnitUrl(HostField()->text())] {
        reading->code = reading->unit.Probe(url, reading->error);
        reading->done = true;
    }).detach();
    m_reading = std::move(reading);
    m_retrieve->setEnabled(false);
    m_details->setText("Reading the unit...");
    m_poll->start();
}

void CDialogTypeSensatronics::TakeReading() {
    if (m_reading == nullptr || !m_reading->done)
        return;
    m_poll->stop();
    const std::shared_ptr<Reading> reading = std::move(m_reading);
    m_retrieve->setEnabled(true);
    if (reading->code != 0) {
        m_details->clear();
        Context().seam.Message(reading->error, CUiSeam::Icon::Warning);
        return;
    }
    const CSnSensatrDeviceCfg& unit = reading->unit;
    m_details->setText(QString("%1 \"%2\", serial number %3, firmware %4")
                           .arg(QString::fromStdString(unit.Model().Str()),
                                QString::fromStdString(unit.UnitName().Str()),
                                QString::fromStdString(unit.SerialNumber().Str()),
                                QString::fromStdString(unit.FirmwareVersion().Str())));
    m_probes->clear();
    for (int i = 0; i < unit.ProbeCount(); ++i) {
        const CSnSensatrProbeCfg* probe = unit.ProbeAt(i);
        if (probe == nullptr || probe->CheckType() != Type())
            continue;
        QString text = QString("%1: %2").arg(probe->Id()).arg(QString::fromStdString(probe->ProbeName().Str()));
        if (!probe->Units().IsEmpty())
            text += QString(" (%1)").arg(QString::fromStdString(probe->Units().Str()));
        m_probes->addItem(text, QList<QVariant>{probe->Id(), probe->TemperatureUnit()});
    }
    m_probes->setEnabled(m_probes->count() > 0);
    if (m_probes->count() == 0)
        m_details->setText(m_details->text() + "; no probe of this kind");
    else if (Number(*m_probe) <= 0)
        ChooseProbe(0);
}

void CDialogTypeSensatronics::ChooseProbe(int index) {
    const QList<QVariant> probe = m_probes->itemData(index).toList();
    if (probe.size() != 2)
        return;
    SetNumber(*m_probe, probe[0].toInt());
    if (Type() == kTypeTemperature)
        m_unit->setCurrentIndex(m_unit->findData(probe[1].toInt()));
}

bool CDialogTypeSensatronics::Collect(CSnNodeCfgFunction& out) {
    EnvironmentalSettings s = EnvironmentalSettings::Read(out);
    s.Device = HostField()->text().trimmed().toStdString();
    s.Probe = static_cast<int>(Number(*m_probe));
    s.Low = m_low->text().trimmed().toStdString();
    s.High = m_high->text().trimmed().toStdString();
    s.TemperatureUnit = m_unit->currentData().toInt();
    s.Log = m_log->isChecked();
    s.LogFile = m_logFile->text().trimmed().toStdString();
    if (!PassesAt(CheckEnvironmentalFields(s, HostLimits()), {HostField(), m_probe, m_low}))
        return false;
    s.Write(out);
    return true;
}
