#include "manager/checks/types/misc/DialogTypeSerialDevice.h"

#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>

CDialogTypeSerialDevice::CDialogTypeSerialDevice(QWidget* parent, CSnNode& w, std::int32_t,
                                                 const CheckDialogContext& ctx)
    : CDialogCheck(parent, w, kTypeSerialDevice, ctx, "Serial Device Check") {
    setObjectName("serialDeviceDialog");
    m_device = &AddTextRow("&Device:");
    m_device->setPlaceholderText("/dev/ttyS0");
    m_flow = new QComboBox(this);
    m_flow->addItems({"None", "Hardware (RTS/CTS)", "Software (XON/XOFF)"});
    Form().addRow(BuddyLabel("&Flow control:", m_flow), m_flow);
    m_baud = new QComboBox(this);
    for (const int rate : SerialBaudRates())
        m_baud->addItem(QString::number(rate), rate);
    Form().addRow(BuddyLabel("&Baudrate:", m_baud), m_baud);
    m_sendBox = &AddOption("&Send command when connected:", 0);
    m_send = new QLineEdit(this);
    Form().addRow(m_send);
    m_expectBox = &AddOption("&Response must include following string (not case sensitive):", 1);
    m_expect = new QLineEdit(this);
    Form().addRow(m_expect);
    m_timeout = &AddNumberRow("&Timeout:", "ms");
    connect(m_sendBox, &QCheckBox::toggled, m_send, &QWidget::setEnabled);
    connect(m_expectBox, &QCheckBox::toggled, m_expect, &QWidget::setEnabled);

    const SerialDeviceSettings s = SerialDeviceSettings::Read(Initial());
    m_device->setText(QString::fromStdString(s.Device));
    m_flow->setCurrentIndex(static_cast<int>(s.FlowControl));
    if (m_baud->findData(s.BaudRate) < 0)
        m_baud->addItem(QString::number(s.BaudRate), s.BaudRate);
    m_baud->setCurrentIndex(m_baud->findData(s.BaudRate));
    m_send->setText(QString::fromStdString(s.Send));
    m_expect->setText(QString::fromStdString(s.Expect));
    SetNumber(*m_timeout, s.TimeoutMs);
    ShowOptions(s);
    m_send->setEnabled(m_sendBox->isChecked());
    m_expect->setEnabled(m_expectBox->isChecked());
    Finish();
}

bool CDialogTypeSerialDevice::Collect(CSnNodeCfgFunction& out) {
    SerialDeviceSettings s = ReadOptions<SerialDeviceSettings>(out);
    s.Device = m_device->text().trimmed().toStdString();
    s.FlowControl = static_cast<SerialDeviceSettings::Flow>(m_flow->currentIndex());
    s.BaudRate = m_baud->currentData().toInt();
    s.Send = m_send->text().toStdString();
    s.Expect = m_expect->text().toStdString();
    s.TimeoutMs = static_cast<int>(Number(*m_timeout));
    if (!PassesAt(CheckSerialDeviceFields(s), {m_expect, m_timeout}))
        return false;
    s.Write(out);
    return true;
}
