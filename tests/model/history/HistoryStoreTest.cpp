#include "model/history/HistoryStore.h"
#include "model/tree/NodeStatus.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>

namespace {

using Entries = std::vector<CHistoryEntry>;

CHistoryEntry Entry(std::int64_t time, std::int32_t check, std::int32_t status, bool change = true) {
    return {time, check, status, CQvcString(std::to_string(time % 97)), static_cast<std::int32_t>(time % 13),
            CQvcString("reply ") + CQvcString(std::to_string(time)), change};
}

TEST(StatisticsDatabasePath, FileConnectionsNameTheSqliteFileServerConnectionsNone) {
    const struct { const char* connection; std::string expected; } cases[] = {
        {"Provider=Microsoft.Jet.OLEDB.4.0;Data Source=<SNROOT>Logs\\Statistics.mdb", "/eng/Logs/Statistics.db"},
        {"Provider=Microsoft.ACE.OLEDB.12.0;Data Source=/var/stats/History.ACCDB", "/var/stats/History.db"},
        {kStatisticsConnection, "/eng/Logs/Statistics.db"},
        {"Provider=SQLOLEDB;Data Source=dbhost;Initial Catalog=stats", ""},
        {"Provider=Microsoft.Jet.OLEDB.4.0", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(StatisticsDatabasePath(c.connection, "/eng/").Str(), c.expected) << c.connection;
}

TEST(HistoryStore, AppendsAndReadsBackEntriesAndSamples) {
    testsupport::TempDir dir;
    const CQvcString path = dir.Path() + "/Logs/Statistics.db";
    CHistoryStore reader;
    EXPECT_TRUE(reader.Open(path, false) != 0 && !reader.IsOpen() && !reader.ErrorText().IsEmpty());

    CHistoryStore writer;
    ASSERT_EQ(writer.Open(path, true), 0) << writer.ErrorText().Str();
    const Entries written = {Entry(100, 7, kStatusSuccess), Entry(160, 7, kStatusSuccess, false),
                             Entry(170, 8, kStatusFailure), Entry(220, 7, kStatusFailure),
                             Entry(280, 7, kStatusFailure, false)};
    const std::vector<CGraphSample> samples = {{100, 7, 12.5}, {100, 8, 3}, {160, 7, 14}, {220, 8, 4}};
    ASSERT_EQ(writer.Append(written, samples), 0);

    ASSERT_EQ(reader.Open(path, false), 0) << reader.ErrorText().Str();
    Entries out;
    ASSERT_EQ(reader.Entries(7, 0, 1000, out), 0);
    EXPECT_EQ(out, (Entries{written[4], written[3], written[1], written[0]}));
    ASSERT_EQ(reader.Entries(7, 100, 280, out, true), 0);
    EXPECT_EQ(out, (Entries{written[3], written[0]}));
    ASSERT_EQ(reader.Entries(7, 0, 1000, out, false, 1), 0);
    EXPECT_EQ(out, Entries{written[4]});
    CHistoryEntry before;
    bool found = false;
    EXPECT_TRUE(reader.EntryBefore(7, 220, before, found) == 0 && found && before == written[1]);
    EXPECT_TRUE(reader.EntryBefore(8, 170, before, found) == 0 && !found);
    std::vector<CGraphSample> read;
    ASSERT_EQ(reader.Samples({8, 7}, 100, 220, read), 0);
    EXPECT_EQ(read, (std::vector<CGraphSample>{samples[1], samples[0], samples[2]}));
    std::int64_t entries = 0, sampleCount = 0;
    EXPECT_TRUE(reader.Counts(entries, sampleCount) == 0 && entries == 5 && sampleCount == 4);

    testsupport::WriteFile(dir.Path() + "/other.db", "not a database at all, just text");
    EXPECT_TRUE(reader.Open(dir.Path() + "/other.db", false) != 0 && !reader.IsOpen());
}

TEST(HistoryStore, CleanupDropsTheOldestButKeepsEachChecksNewestStatusChange) {
    testsupport::TempDir dir;
    CHistoryStore store;
    ASSERT_EQ(store.Open(dir.Path() + "/s.db", true), 0);
    // Check 1 changed long ago and has reported unchanged since; check 2 is newer.
    const Entries all = {Entry(10, 1, kStatusFailure), Entry(20, 2, kStatusSuccess), Entry(30, 1, kStatusFailure, false),
                         Entry(40, 2, kStatusError), Entry(50, 1, kStatusFailure, false),
                         Entry(60, 2, kStatusError, false)};
    std::vector<CGraphSample> samples;
    for (int t = 0; t < 6; ++t)
        samples.push_back({t, 1 + t % 2, double(t)});
    ASSERT_EQ(store.Append(all, samples), 0);
    ASSERT_EQ(store.Cleanup(4, 2), 0);
    Entries one, two;
    ASSERT_EQ(store.Entries(1, 0, 100, one), 0);
    ASSERT_EQ(store.Entries(2, 0, 100, two), 0);
    EXPECT_EQ(one, (Entries{all[4], all[0]}));
    EXPECT_EQ(two, (Entries{all[5], all[3]}));
    std::vector<CGraphSample> left;
    ASSERT_EQ(store.Samples({1, 2}, 0, 100, left), 0);
    EXPECT_EQ(left, (std::vector<CGraphSample>{samples[4], samples[5]}));
}

TEST(ComputeAvailability, OutagesHoldsAndUnknownTimeOverOneDay) {
    constexpr std::int64_t D = 1'000'000'000, H = 3600, Day = 86400;
    const auto avail = [](std::int64_t from, std::int64_t to, std::int64_t monitored, std::int64_t down,
                          std::int64_t longest, std::int32_t outages, std::int64_t mttr) {
        CAvailability a{from, to, monitored, down, longest, outages, mttr, 100.0};
        if (monitored > 0)
            a.UptimePercent = 100.0 * static_cast<double>(monitored - down) / static_cast<double>(monitored);
        return a;
    };
    const Entries midnight = {Entry(D + Day - H / 2, 1, kStatusFailure), Entry(D + Day + H / 2, 1, kStatusSuccess)};
    const struct { const char* name; std::int32_t initial; Entries changes; std::int64_t from, to; CAvailability expected; } cases[] = {
        {"no changes", kStatusSuccess, {}, D, D + Day, avail(D, D + Day, Day, 0, 0, 0, 0)},
        {"never known", kStatusNone, {}, D, D + Day, avail(D, D + Day, 0, 0, 0, 0, 0)},
        {"created mid-day, dependee failure continues the outage", kStatusNone,
         {Entry(D + 12 * H, 1, kStatusSuccess), Entry(D + 14 * H, 1, kStatusFailure),
          Entry(D + 14 * H + 600, 1, kStatusFailureByDependee), Entry(D + 15 * H, 1, kStatusUncertain)},
         D, D + Day, avail(D, D + Day, 12 * H, H, H, 1, H)},
        {"hold and maintenance excluded", kStatusSuccess,
         {Entry(D + H, 1, kStatusFailure), Entry(D + 2 * H, 1, kStatusOnHold), Entry(D + 3 * H, 1, kStatusError),
          Entry(D + 5 * H, 1, kStatusMaintenance), Entry(D + 6 * H, 1, kStatusSuccess)},
         D, D + Day, avail(D, D + Day, Day - 2 * H, 3 * H, 2 * H, 2, 3 * H / 2)},
        {"outage open at the end", kStatusSuccess, {Entry(D + Day - H, 1, kStatusError)}, D, D + Day,
         avail(D, D + Day, Day, H, H, 1, 0)},
        {"midnight outage, first day", kStatusSuccess, midnight, D, D + Day, avail(D, D + Day, Day, H / 2, H / 2, 1, 0)},
        {"midnight outage, second day", kStatusFailure, midnight, D + Day, D + 2 * Day,
         avail(D + Day, D + 2 * Day, Day, H / 2, H / 2, 0, 0)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ComputeAvailability(c.initial, c.changes, c.from, c.to), c.expected) << c.name;
}

TEST(CalendarPeriods, LocalDaysWeeksFromMondayAndMonthsAcrossDaylightSaving) {
    testsupport::ScopedTimeZone zone("Europe/Berlin");
    const auto local = [](int month, int day, int hour) {
        std::tm t{0, 0, hour, day, month - 1, 126, 0, 0, -1, 0, nullptr};
        return static_cast<std::int64_t>(std::mktime(&t));
    };
    using Periods = std::vector<std::pair<std::int64_t, std::int64_t>>;
    // 2026-03-29 is a Sunday of 23 hours.
    EXPECT_EQ(CalendarPeriods(local(3, 28, 12), local(3, 30, 6), AvailabilityBucket::Day),
              (Periods{{local(3, 28, 12), local(3, 29, 0)}, {local(3, 29, 0), local(3, 30, 0)},
                       {local(3, 30, 0), local(3, 30, 6)}}));
    EXPECT_EQ(CalendarPeriods(local(3, 29, 10), local(4, 8, 0), AvailabilityBucket::Week),
              (Periods{{local(3, 29, 10), local(3, 30, 0)}, {local(3, 30, 0), local(4, 6, 0)},
                       {local(4, 6, 0), local(4, 8, 0)}}));
    EXPECT_EQ(CalendarPeriods(local(1, 15, 9), local(3, 10, 0), AvailabilityBucket::Month),
              (Periods{{local(1, 15, 9), local(2, 1, 0)}, {local(2, 1, 0), local(3, 1, 0)},
                       {local(3, 1, 0), local(3, 10, 0)}}));
    EXPECT_TRUE(CalendarPeriods(local(3, 1, 0), local(3, 1, 0), AvailabilityBucket::Day).empty());
}

} // namespace
