#include "model/history/HistoryReport.h"

#include "model/history/HistoryTime.h"
#include "model/store/SnCfg.h"
#include "model/tree/NodeStatus.h"
#include "model/tree/SnNode.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr std::int64_t kDay = 24 * 3600;

std::string Escaped(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Percent(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f %%", value);
    return text;
}

} // namespace

const char* HistoryPeriodName(HistoryPeriod period) {
    switch (period) {
    case HistoryPeriod::Day: return "Last day";
    case HistoryPeriod::Week: return "Last week";
    case HistoryPeriod::Month: return "Last month";
    case HistoryPeriod::Year: return "Last year";
    case HistoryPeriod::All: break;
    }
    return "All";
}

std::int64_t HistoryPeriodStart(HistoryPeriod period, std::int64_t now) {
    switch (period) {
    case HistoryPeriod::Day: return now - kDay;
    case HistoryPeriod::Week: return now - 7 * kDay;
    case HistoryPeriod::Month: return now - 30 * kDay;
    case HistoryPeriod::Year: return now - 365 * kDay;
    case HistoryPeriod::All: break;
    }
    return 0;
}

std::string DurationText(std::int64_t seconds) {
    seconds = std::max<std::int64_t>(seconds, 0);
    char text[48];
    const long long days = seconds / kDay, rest = seconds % kDay;
    if (days > 0)
        std::snprintf(text, sizeof text, "%lld d %02lld:%02lld:%02lld", days, rest / 3600, rest / 60 % 60, rest % 60);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", rest / 3600, rest / 60 % 60, rest % 60);
    return text;
}

long ReadAvailability(const CHistoryStore& store, std::int32_t checkId, std::int64_t from, std::int64_t to,
                      CAvailability& out) {
    CHistoryEntry before;
    bool found = false;
    if (const long code = store.EntryBefore(checkId, from, before, found))
        return code;
    std::vector<CHistoryEntry> changes;
    if (const long code = store.Entries(checkId, from, to, changes, true))
        return code;
    std::reverse(changes.begin(), changes.end());
    out = ComputeAvailability(found ? before.Status : kStatusNone, changes, from, to);
    return 0;
}

std::vector<CReportRow> ReportChecks(CSnNode* root, CSnNode* folder) {
    std::vector<CReportRow> rows;
    for (const CSnNode* check : CSnCfg::CollectChecks(folder, true)) {
        CReportRow row;
        row.CheckId = check->Id();
        row.Name = check->Cfg.Name;
        for (const long id : CSnCfg::FolderPath(root, check->Id())) {
            const CSnNode* node = CSnCfg::FindNode(root, id);
            if (node == nullptr || node == root || node == check)
                continue;
            if (!row.Folder.IsEmpty())
                row.Folder += "/";
            row.Folder += node->Cfg.Name;
        }
        rows.push_back(row);
    }
    return rows;
}

long BuildReport(const CHistoryStore& store, std::vector<CReportRow>& rows, std::int64_t from, std::int64_t to) {
    for (CReportRow& row : rows)
        if (const long code = ReadAvailability(store, row.CheckId, from, to, row.Availability))
            return code;
    std::stable_sort(rows.begin(), rows.end(), [](const CReportRow& a, const CReportRow& b) {
        if (a.Availability.UptimePercent != b.Availability.UptimePercent)
            return a.Availability.UptimePercent < b.Availability.UptimePercent;
        if (a.Availability.DowntimeSecs != b.Availability.DowntimeSecs)
            return a.Availability.DowntimeSecs > b.Availability.DowntimeSecs;
        return a.Name.Str() < b.Name.Str();
    });
    return 0;
}

std::string ReportHtml(const CQvcString& title, std::int64_t from, std::int64_t to,
                       const std::vector<CReportRow>& rows) {
    std::int64_t monitored = 0, downtime = 0;
    int outages = 0;
    for (const CReportRow& row : rows) {
        monitored += row.Availability.MonitoredSecs;
        downtime += row.Availability.DowntimeSecs;
        outages += row.Availability.Outages;
    }
    const double overall = monitored > 0 ? 100.0 * static_cast<double>(monitored - downtime) / static_cast<double>(monitored) : 100.0;
    std::string html = "<!doctype html>\n<html><head><meta charset=\"utf-8\"><title>" + Escaped(title.Str()) +
                       "</title>\n<style>body{font-family:sans-serif}table{border-collapse:collapse}"
                       "th,td{border:1px solid #999;padding:3px 8px}td.n{text-align:right}"
                       "tr.down td{background:#fde0e0}</style></head><body>\n";
    html += "<h1>" + Escaped(title.Str()) + "</h1>\n<p>From " + FormatHistoryTime(from) + " to " + FormatHistoryTime(to) +
            "</p>\n<p>Checks: " + std::to_string(rows.size()) + "; availability " + Percent(overall) +
            "; downtime " + DurationText(downtime) + "; outages " + std::to_string(outages) + "</p>\n";
    html += "<table>\n<tr><th>Check</th><th>Folder</th><th>Availability</th><th>Downtime</th><th>Outages</th>"
            "<th>Longest outage</th><th>MTTR</th><th>Monitored</th></tr>\n";
    for (const CReportRow& row : rows) {
        const CAvailability& a = row.Availability;
        html += std::string(a.DowntimeSecs > 0 ? "<tr class=\"down\">" : "<tr>") + "<td>" + Escaped(row.Name.Str()) +
                "</td><td>" + Escaped(row.Folder.Str()) + "</td><td class=\"n\">" + Percent(a.UptimePercent) +
                "</td><td class=\"n\">" + DurationText(a.DowntimeSecs) + "</td><td class=\"n\">" +
                std::to_string(a.Outages) + "</td><td class=\"n\">" + DurationText(a.LongestOutageSecs) +
                "</td><td class=\"n\">" + DurationText(a.MttrSecs) + "</td><td class=\"n\">" +
                DurationText(a.MonitoredSecs) + "</td></tr>\n";
    }
    html += "</table>\n</body></html>\n";
    return html;
}
