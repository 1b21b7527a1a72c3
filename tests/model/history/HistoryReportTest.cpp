// The availability report: which checks a folder's report holds, what it reads of each
// check's history (the status before the period, the changes inside it, nothing after),
// the order worst first, and the page it makes.
#include "NodeTreeBuilder.h"
#include "model/history/HistoryReport.h"
#include "model/tree/NodeStatus.h"

#include <gtest/gtest.h>

namespace {

CHistoryEntry Change(std::int64_t time, std::int32_t check, std::int32_t status) {
    CHistoryEntry entry;
    entry.Time = time;
    entry.CheckId = check;
    entry.Status = status;
    entry.Change = true;
    return entry;
}

TEST(HistoryReport, AFoldersChecksWorstFirstWithHandComputedFigures) {
    // Root ─ Web ─ A (11), Sub ─ B (12); the root's own check C (13); D (14) stays outside
    // the report of Web.
    testsupport::NodeTreeBuilder tree;
    CSnNode* web = tree.AddFolder(tree.Root(), 2);
    web->Cfg.Name = "Web";
    tree.AddCheck(web, 11)->Cfg.Name = "A <main>";
    CSnNode* sub = tree.AddFolder(web, 3);
    sub->Cfg.Name = "Sub";
    tree.AddCheck(sub, 12)->Cfg.Name = "B";
    tree.AddCheck(tree.Root(), 13)->Cfg.Name = "C";

    testsupport::TempDir dir;
    CHistoryStore store;
    ASSERT_EQ(store.Open(dir.Path() + "/Statistics.db", true), 0) << store.ErrorText().Str();
    const std::int64_t from = 1'700'000'000, to = from + 10'000;
    const std::vector<CHistoryEntry> entries = {
        // A: failed and recovered before the period, two outages inside (600 s and 400 s),
        // a failure after the period that must not count.
        Change(from - 500, 11, kStatusError), Change(from - 100, 11, kStatusSuccess),
        Change(from + 1000, 11, kStatusError), Change(from + 1600, 11, kStatusSuccess),
        Change(from + 5000, 11, kStatusFailure), Change(from + 5400, 11, kStatusSuccess),
        Change(to + 10, 11, kStatusError),
        // B: created half-way through the period, never down.
        Change(from + 5000, 12, kStatusSuccess),
        // C: one outage of 2500 s.
        Change(from - 10, 13, kStatusSuccess), Change(from + 2000, 13, kStatusError),
        Change(from + 4500, 13, kStatusSuccess),
    };
    ASSERT_EQ(store.Append(entries, {}), 0) << store.ErrorText().Str();

    std::vector<CReportRow> rows = ReportChecks(tree.Root(), tree.Root());
    ASSERT_EQ(BuildReport(store, rows, from, to), 0);
    const auto availability = [&](std::int64_t monitored, std::int64_t down, std::int64_t longest, int outages,
                                  std::int64_t mttr, double uptime) {
        return CAvailability{from, to, monitored, down, longest, outages, mttr, uptime};
    };
    const std::vector<CReportRow> expected = {
        {13, "C", "", availability(10'000, 2500, 2500, 1, 2500, 75.0)},
        {11, "A <main>", "Web", availability(10'000, 1000, 600, 2, 500, 90.0)},
        {12, "B", "Web/Sub", availability(5000, 0, 0, 0, 0, 100.0)},
    };
    EXPECT_EQ(rows, expected);

    std::vector<CReportRow> webRows = ReportChecks(tree.Root(), web);
    ASSERT_EQ(BuildReport(store, webRows, from, to), 0);
    EXPECT_EQ(webRows, (std::vector<CReportRow>{expected[1], expected[2]}));

    // The page: the totals over all rows, the rows in report order, names escaped.
    const std::string html = ReportHtml("Availability of Web", from, to, rows);
    EXPECT_NE(html.find("Checks: 3; availability 86.000 %; downtime 00:58:20; outages 3"), std::string::npos);
    const std::size_t c = html.find("<td>C</td>"), a = html.find("<td>A &lt;main&gt;</td><td>Web</td>"),
                      b = html.find("<td>B</td><td>Web/Sub</td>");
    ASSERT_NE(b, std::string::npos);
    EXPECT_LT(c, a);
    EXPECT_LT(a, b);
    EXPECT_NE(html.find("<td class=\"n\">00:10:00</td><td class=\"n\">00:08:20</td>"), std::string::npos);
    EXPECT_EQ(DurationText(2 * 86'400 + 3661), "2 d 01:01:01");
}

} // namespace
