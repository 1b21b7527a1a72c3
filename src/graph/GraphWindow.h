#pragma once
// The graph window: the figures of the given checks over a chosen period, one line per
// check, with zoom (drag a rectangle; Reset zoom), and export to PNG and CSV.
#include "model/history/HistoryReport.h"
#include "model/history/HistoryStore.h"

#include <QMainWindow>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

class QChartView;
class QComboBox;
class QLabel;

class CGraphWindow final : public QMainWindow {
    Q_OBJECT
public:
    // The checks as (identifier, name); `statistics` is the statistics database's file.
    CGraphWindow(std::vector<std::pair<std::int32_t, QString>> checks, const QString& statistics,
                 HistoryPeriod period, QWidget* parent = nullptr);

    // Draws the chosen period again from the database.
    void Reload();
    bool SavePng(const QString& file) const;
    bool SaveCsv(const QString& file) const;
    // The samples drawn, oldest first.
    const std::vector<CGraphSample>& Samples() const { return m_samples; }

private:
    void ExportPng();
    void ExportCsv();

    std::vector<std::pair<std::int32_t, QString>> m_checks;
    CHistoryStore m_store;
    QString m_problem;
    std::vector<CGraphSample> m_samples;
    QComboBox* m_period = nullptr;
    QChartView* m_view = nullptr;
    QLabel* m_status = nullptr;
};
