#include "GraphWindow.h"

#include "platform/System.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineSeries>
#include <QMessageBox>
#include <QStatusBar>
#include <QTextStream>
#include <QToolBar>
#include <QValueAxis>

#include <algorithm>
#include <map>

CGraphWindow::CGraphWindow(std::vector<std::pair<std::int32_t, QString>> checks, const QString& statistics,
                           HistoryPeriod period, QWidget* parent)
    : QMainWindow(parent), m_checks(std::move(checks)) {
    QStringList names;
    for (const auto& check : m_checks)
        names << check.second;
    setWindowTitle(QString("Graph - %1").arg(names.join(", ")));
    resize(1000, 600);
    if (m_store.Open(CQvcString(statistics.toStdString()), false) != 0)
        m_problem = QString("The statistics database cannot be read: %1")
                        .arg(QString::fromStdString(m_store.ErrorText().Str()));

    auto* tools = addToolBar("Graph");
    tools->setMovable(false);
    tools->addWidget(new QLabel("Period: ", tools));
    m_period = new QComboBox(tools);
    for (const HistoryPeriod choice : kHistoryPeriods)
        m_period->addItem(HistoryPeriodName(choice), static_cast<int>(choice));
    m_period->setCurrentIndex(m_period->findData(static_cast<int>(period)));
    tools->addWidget(m_period);
    tools->addSeparator();
    tools->addAction("Reset zoom", this, [this] {
        if (m_view->chart() != nullptr)
            m_view->chart()->zoomReset();
    });
    tools->addAction("Export PNG...", this, &CGraphWindow::ExportPng);
    tools->addAction("Export CSV...", this, &CGraphWindow::ExportCsv);
    tools->addAction("Refresh", this, &CGraphWindow::Reload);

    m_view = new QChartView(this);
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setRubberBand(QChartView::RectangleRubberBand);
    setCentralWidget(m_view);
    m_status = new QLabel(this);
    statusBar()->addWidget(m_status);
    connect(m_period, &QComboBox::currentIndexChanged, this, &CGraphWindow::Reload);
    Reload();
}

void CGraphWindow::Reload() {
    auto* chart = new QChart;
    m_view->setChart(chart);  // the view deletes the chart it showed before
    m_samples.clear();
    if (!m_problem.isEmpty()) {
        chart->setTitle(m_problem);
        m_status->setText(m_problem);
        return;
    }
    const std::int64_t now = platform::SecondsSince1970();
    const auto period = static_cast<HistoryPeriod>(m_period->currentData().toInt());
    std::vector<std::int32_t> ids;
    for (const auto& check : m_checks)
        ids.push_back(check.first);
    if (m_store.Samples(ids, HistoryPeriodStart(period, now), now + 1, m_samples) != 0) {
        m_status->setText(QString::fromStdString(m_store.ErrorText().Str()));
        return;
    }
    std::map<std::int32_t, QLineSeries*> lines;
    for (const auto& [id, name] : m_checks) {
        auto* series = new QLineSeries(chart);
        series->setName(name);
        lines.emplace(id, series);
    }
    double low = 0, high = 0;
    std::int64_t first = now, last = now;
    for (const CGraphSample& sample : m_samples) {
        const auto line = lines.find(sample.CheckId);
        if (line == lines.end())
            continue;
        line->second->append(static_cast<double>(sample.Time) * 1000.0, sample.Value);
        high = std::max(high, sample.Value);
        low = std::min(low, sample.Value);
        first = std::min(first, sample.Time);
        last = sample.Time;
    }
    auto* axisX = new QDateTimeAxis;
    axisX->setFormat(last - first > 2 * 24 * 3600 ? "MM-dd hh:mm" : "hh:mm");
    axisX->setRange(QDateTime::fromSecsSinceEpoch(first), QDateTime::fromSecsSinceEpoch(std::max(last, first + 60)));
    axisX->setTitleText("Time");
    chart->addAxis(axisX, Qt::AlignBottom);
    auto* axisY = new QValueAxis;
    axisY->setRange(low, high > low ? high * 1.1 : low + 1.0);
    axisY->applyNiceNumbers();
    axisY->setTitleText("Data / response time");
    chart->addAxis(axisY, Qt::AlignLeft);
    for (const auto& [id, series] : lines) {
        chart->addSeries(series);
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
    chart->setTitle(QString("%1, %2").arg(windowTitle().mid(8), HistoryPeriodName(period)));
    m_status->setText(m_samples.empty() ? QString("No samples were logged in this period.")
                                        : QString("%1 samples. Drag a rectangle to zoom.").arg(m_samples.size()));
}

bool CGraphWindow::SavePng(const QString& file) const {
    return m_view->grab().save(file, "PNG");
}

bool CGraphWindow::SaveCsv(const QString& file) const {
    QFile out(file);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return false;
    std::map<std::int32_t, QString> names(m_checks.begin(), m_checks.end());
    QTextStream stream(&out);
    stream << "Time,Check ID,Check,Value\n";
    for (const CGraphSample& sample : m_samples) {
        QString name = names[sample.CheckId];
        name.replace('"', "\"\"");
        stream << QDateTime::fromSecsSinceEpoch(sample.Time).toString(Qt::ISODate) << ',' << sample.CheckId << ",\""
               << name << "\"," << QString::number(sample.Value, 'g', 12) << '\n';
    }
    stream.flush();
    return out.error() == QFileDevice::NoError;
}

void CGraphWindow::ExportPng() {
    const QString file = QFileDialog::getSaveFileName(this, "Export PNG", "graph.png", "PNG images (*.png)");
    if (!file.isEmpty() && !SavePng(file))
        QMessageBox::warning(this, "Export PNG", QString("Cannot write '%1'.").arg(file));
}

void CGraphWindow::ExportCsv() {
    const QString file = QFileDialog::getSaveFileName(this, "Export CSV", "graph.csv", "CSV files (*.csv)");
    if (!file.isEmpty() && !SaveCsv(file))
        QMessageBox::warning(this, "Export CSV", QString("Cannot write '%1'.").arg(file));
}
