#include "HistoryWindow.h"

#include "model/history/HistoryReport.h"
#include "model/history/HistoryTime.h"
#include "model/tree/NodeStatus.h"
#include "platform/System.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <ctime>

namespace {

// The detail view shows at most this many entries of a period, the newest.
constexpr std::size_t kDetailRows = 5000;
constexpr std::int64_t kDay = 24 * 3600;

QString Text(const std::string& text) { return QString::fromStdString(text); }
QString Text(const CQvcString& text) { return QString::fromStdString(text.Str()); }

QTableWidget* NewTable(const QStringList& headers, QWidget* parent) {
    auto* table = new QTableWidget(0, static_cast<int>(headers.size()), parent);
    table->setHorizontalHeaderLabels(headers);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->hide();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

void SetRow(QTableWidget& table, int row, const QStringList& cells, bool bold = false) {
    for (int column = 0; column < cells.size(); ++column) {
        auto* item = new QTableWidgetItem(cells[column]);
        if (bold) {
            QFont font = item->font();
            font.setBold(true);
            item->setFont(font);
        }
        table.setItem(row, column, item);
    }
}

// How far back the availability view looks for each kind of bucket, and its label.
struct BucketChoice {
    const char* Name;
    AvailabilityBucket Bucket;
    std::int64_t Span;
    const char* Format;
};
const BucketChoice kBuckets[] = {
    {"Per day (14 days)", AvailabilityBucket::Day, 14 * kDay, "%m-%d"},
    {"Per week (12 weeks)", AvailabilityBucket::Week, 12 * 7 * kDay, "%Y-%m-%d"},
    {"Per month (12 months)", AvailabilityBucket::Month, 365 * kDay, "%Y-%m"},
};

QString BucketLabel(std::int64_t start, const char* format) {
    const std::time_t t = static_cast<std::time_t>(start);
    std::tm local{};
    localtime_r(&t, &local);
    char text[32];
    std::strftime(text, sizeof text, format, &local);
    return QString::fromLatin1(text);
}

} // namespace

CHistoryWindow::CHistoryWindow(std::int32_t checkId, const QString& checkName, const QString& statistics,
                               bool detail, QWidget* parent)
    : QWidget(parent, Qt::Window), m_checkId(checkId) {
    setWindowTitle(QString("History of %1").arg(checkName));
    setObjectName("historyWindow");
    resize(900, 600);
    if (m_store.Open(CQvcString(statistics.toStdString()), false) != 0)
        m_problem = QString("The statistics database cannot be read: %1").arg(Text(m_store.ErrorText()));

    auto* layout = new QVBoxLayout(this);
    m_tabs = new QTabWidget(this);
    layout->addWidget(m_tabs);
    auto* close = new QPushButton("Close", this);
    auto* refresh = new QPushButton("Refresh", this);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(refresh);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QWidget::close);
    connect(refresh, &QPushButton::clicked, this, &CHistoryWindow::Reload);

    // The detail view.
    auto* detailPage = new QWidget(m_tabs);
    auto* detailLayout = new QVBoxLayout(detailPage);
    auto* detailBar = new QHBoxLayout;
    m_detailPeriod = new QComboBox(detailPage);
    for (const HistoryPeriod period : kHistoryPeriods)
        m_detailPeriod->addItem(HistoryPeriodName(period), static_cast<int>(period));
    m_detailPeriod->setCurrentIndex(1);
    m_changesOnly = new QCheckBox("Status changes only", detailPage);
    detailBar->addWidget(new QLabel("Period:", detailPage));
    detailBar->addWidget(m_detailPeriod);
    detailBar->addWidget(m_changesOnly);
    detailBar->addStretch();
    detailLayout->addLayout(detailBar);
    m_detailNote = new QLabel(detailPage);
    detailLayout->addWidget(m_detailNote);
    m_detailTable = NewTable({"Time", "Status", "Data", "Response time (ms)", "Response"}, detailPage);
    m_detailTable->setObjectName("detailTable");
    detailLayout->addWidget(m_detailTable);
    m_tabs->addTab(detailPage, "Detail");
    connect(m_detailPeriod, &QComboBox::currentIndexChanged, this, &CHistoryWindow::LoadDetail);
    connect(m_changesOnly, &QCheckBox::toggled, this, &CHistoryWindow::LoadDetail);

    // The availability view.
    auto* availabilityPage = new QWidget(m_tabs);
    auto* availabilityLayout = new QVBoxLayout(availabilityPage);
    auto* availabilityBar = new QHBoxLayout;
    m_bucket = new QComboBox(availabilityPage);
    for (const BucketChoice& choice : kBuckets)
        m_bucket->addItem(choice.Name);
    availabilityBar->addWidget(new QLabel("Uptime:", availabilityPage));
    availabilityBar->addWidget(m_bucket);
    availabilityBar->addStretch();
    availabilityLayout->addLayout(availabilityBar);
    m_totals = new QLabel(availabilityPage);
    availabilityLayout->addWidget(m_totals);
    m_availabilityTable =
        NewTable({"Period", "Uptime", "Downtime", "Outages", "Longest outage", "MTTR"}, availabilityPage);
    m_availabilityTable->setObjectName("availabilityTable");
    m_chart = new QChartView(availabilityPage);
    m_chart->setMinimumHeight(220);
    m_chart->setRenderHint(QPainter::Antialiasing);
    availabilityLayout->addWidget(m_chart, 3);
    availabilityLayout->addWidget(m_availabilityTable, 2);
    m_tabs->addTab(availabilityPage, "Availability");
    connect(m_bucket, &QComboBox::currentIndexChanged, this, &CHistoryWindow::LoadAvailability);

    m_tabs->setCurrentIndex(detail ? 0 : 1);
    Reload();
}

CHistoryWindow::~CHistoryWindow() = default;

void CHistoryWindow::Reload() {
    LoadDetail();
    LoadAvailability();
}

void CHistoryWindow::LoadDetail() {
    m_detailTable->setRowCount(0);
    if (!m_problem.isEmpty()) {
        m_detailNote->setText(m_problem);
        return;
    }
    const std::int64_t now = platform::SecondsSince1970();
    const auto period = static_cast<HistoryPeriod>(m_detailPeriod->currentData().toInt());
    std::vector<CHistoryEntry> entries;
    if (m_store.Entries(m_checkId, HistoryPeriodStart(period, now), now + 1, entries, m_changesOnly->isChecked(),
                        kDetailRows + 1) != 0) {
        m_detailNote->setText(Text(m_store.ErrorText()));
        return;
    }
    const bool cut = entries.size() > kDetailRows;
    entries.resize(std::min(entries.size(), kDetailRows));
    m_detailNote->setText(entries.empty() ? QString("No results were logged in this period.")
                          : cut           ? QString("The newest %1 entries; status changes in bold.").arg(kDetailRows)
                                          : QString("%1 entries; status changes in bold.").arg(entries.size()));
    m_detailTable->setRowCount(static_cast<int>(entries.size()));
    int row = 0;
    for (const CHistoryEntry& entry : entries)
        SetRow(*m_detailTable, row++,
               {Text(FormatHistoryTime(entry.Time)), StatusName(entry.Status), Text(entry.Data),
                QString::number(entry.ResponseMs), Text(entry.Response).simplified()},
               entry.Change);
    m_detailTable->resizeColumnsToContents();
}

void CHistoryWindow::LoadAvailability() {
    m_availabilityTable->setRowCount(0);
    auto* chart = new QChart;
    chart->legend()->hide();
    m_chart->setChart(chart);  // the view owns the chart and deletes the one it showed before
    if (!m_problem.isEmpty()) {
        m_totals->setText(m_problem);
        return;
    }
    const BucketChoice& choice = kBuckets[std::max(0, m_bucket->currentIndex())];
    const std::int64_t now = platform::SecondsSince1970();
    const std::int64_t from = now - choice.Span;
    CAvailability total;
    if (ReadAvailability(m_store, m_checkId, from, now, total) != 0) {
        m_totals->setText(Text(m_store.ErrorText()));
        return;
    }
    m_totals->setText(QString("Since %1: monitored %7, uptime %2 %, total downtime %3, %4 outages, longest outage %5, "
                              "MTTR %6")
                          .arg(Text(FormatHistoryTime(from)))
                          .arg(total.UptimePercent, 0, 'f', 3)
                          .arg(Text(DurationText(total.DowntimeSecs)))
                          .arg(total.Outages)
                          .arg(Text(DurationText(total.LongestOutageSecs)), Text(DurationText(total.MttrSecs)),
                               Text(DurationText(total.MonitoredSecs))));

    auto* uptime = new QBarSet("Uptime %");
    QStringList labels;
    double lowest = 100.0;
    // Periods before the check's first result are left out rather than shown as fully
    // available.
    std::vector<std::pair<QString, CAvailability>> shown;
    for (const auto& [start, end] : CalendarPeriods(from, now, choice.Bucket)) {
        CAvailability a;
        if (ReadAvailability(m_store, m_checkId, start, end, a) != 0)
            break;
        if (a.MonitoredSecs > 0)
            shown.emplace_back(BucketLabel(start, choice.Format), a);
    }
    m_availabilityTable->setRowCount(static_cast<int>(shown.size()));
    int row = static_cast<int>(shown.size());
    for (const auto& [label, a] : shown) {
        labels << label;
        *uptime << a.UptimePercent;
        lowest = std::min(lowest, a.UptimePercent);
        // The table lists the newest period first, the chart runs left to right in time.
        SetRow(*m_availabilityTable, --row,
               {label, QString("%1 %").arg(a.UptimePercent, 0, 'f', 3), Text(DurationText(a.DowntimeSecs)),
                QString::number(a.Outages), Text(DurationText(a.LongestOutageSecs)), Text(DurationText(a.MttrSecs))},
               a.DowntimeSecs > 0);
    }
    m_availabilityTable->resizeColumnsToContents();

    auto* series = new QBarSeries;
    series->append(uptime);
    chart->addSeries(series);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(labels);
    chart->addAxis(axisX, Qt::AlignBottom);
    series->attachAxis(axisX);
    auto* axisY = new QValueAxis;
    const double bottom = std::max(0.0, std::floor(lowest / 10.0) * 10.0 - (lowest >= 100.0 ? 10.0 : 0.0));
    axisY->setRange(bottom, 100.0);
    axisY->setTickCount((100.0 - bottom) / 10.0 <= 5.0 ? static_cast<int>((100.0 - bottom) / 10.0) + 1 : 6);
    axisY->setLabelFormat("%.0f %%");
    axisY->setTitleText("Uptime");
    chart->addAxis(axisY, Qt::AlignLeft);
    series->attachAxis(axisY);
    chart->setTitle(QString("Uptime, %1").arg(choice.Name));
}
