#pragma once
// The history window of one check: the detail view (every result and status change,
// newest first, for a chosen period) and the availability view (uptime per day, week or
// month as a table and a bar chart, with the totals), one tab each.
#include "model/history/HistoryStore.h"

#include <QString>
#include <QWidget>

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QTableWidget;
class QTabWidget;

class QChartView;

class CHistoryWindow final : public QWidget {
    Q_OBJECT
public:
    // `statistics` is the statistics database's file; every period ends at the time shown.
    CHistoryWindow(std::int32_t checkId, const QString& checkName, const QString& statistics, bool detail,
                   QWidget* parent = nullptr);
    ~CHistoryWindow() override;

    // Reads both views again up to the current time.
    void Reload();

private:
    void LoadDetail();
    void LoadAvailability();

    std::int32_t m_checkId;
    CHistoryStore m_store;
    QString m_problem;  // why the database could not be opened; empty when it is open
    QTabWidget* m_tabs = nullptr;
    QComboBox* m_detailPeriod = nullptr;
    QCheckBox* m_changesOnly = nullptr;
    QLabel* m_detailNote = nullptr;
    QTableWidget* m_detailTable = nullptr;
    QComboBox* m_bucket = nullptr;
    QLabel* m_totals = nullptr;
    QTableWidget* m_availabilityTable = nullptr;
    QChartView* m_chart = nullptr;
};
