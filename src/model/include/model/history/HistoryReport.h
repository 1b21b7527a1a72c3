#pragma once
// What the history views and the availability report show, without windows: the periods
// a user chooses from, the availability of checks read from the statistics database, the
// report's rows worst first and the report as HTML.
#include "library/QvcString.h"
#include "model/history/HistoryStore.h"

#include <cstdint>
#include <string>
#include <vector>

class CSnNode;

// The periods offered by the history views, the graph program and the report: the last
// day, week (7 days), month (30 days), year (365 days), or everything.
enum class HistoryPeriod { Day, Week, Month, Year, All };
inline constexpr HistoryPeriod kHistoryPeriods[] = {HistoryPeriod::Day, HistoryPeriod::Week, HistoryPeriod::Month,
                                                    HistoryPeriod::Year, HistoryPeriod::All};
const char* HistoryPeriodName(HistoryPeriod period);
// The start of the period that ends at `now`; 0 for All.
std::int64_t HistoryPeriodStart(HistoryPeriod period, std::int64_t now);

// "2 d 03:04:05", "03:04:05" below a day.
std::string DurationText(std::int64_t seconds);

// The availability of one check over [from, to), read from the store: the status the
// check had at `from` and its status changes in the period.
long ReadAvailability(const CHistoryStore& store, std::int32_t checkId, std::int64_t from, std::int64_t to,
                      CAvailability& out);

// One check of a report and its availability.
struct CReportRow {
    std::int32_t CheckId = 0;
    CQvcString Name;
    CQvcString Folder;  // the path of the folder it is in, "Folder/Sub"
    CAvailability Availability;
    bool operator==(const CReportRow&) const = default;
};
// The rows for every check below `folder`, subfolders included, in tree order: identifier,
// name and the path of its folder below `root` ("" for the root's own checks).
std::vector<CReportRow> ReportChecks(CSnNode* root, CSnNode* folder);
// The report's rows for `rows` (Id, Name and Folder filled in) over [from, to): the worst
// first: lowest uptime, then most downtime, then by name.
long BuildReport(const CHistoryStore& store, std::vector<CReportRow>& rows, std::int64_t from, std::int64_t to);

// The report as one HTML page: the title, the period, the totals and a table of the rows.
std::string ReportHtml(const CQvcString& title, std::int64_t from, std::int64_t to,
                       const std::vector<CReportRow>& rows);
