// The texts of the check list at their boundaries.
#include "model/checks/CheckListTexts.h"
#include "model/tree/SnNode.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Frequency(std::int32_t mode, std::int32_t interval, const char* schedule = "",
                      const CSnDateTimeSettings& formats = CSnDateTimeSettings()) {
    CSnNode node;
    node.Cfg.ScanFrequency.Mode = mode;
    node.Cfg.ScanFrequency.Interval = interval;
    node.Cfg.ScanFrequency.Schedule.SetText(schedule);
    return FrequencyText(node, formats).Str();
}

std::string Status(std::int32_t status, std::int32_t lastUpdate, std::int64_t now, std::int32_t processing = 0) {
    CSnNode node;
    node.Result.Status = status;
    node.Result.LastUpdate = lastUpdate;
    node.Result.Processing = processing;
    return StatusText(node, now).Str();
}

// 2024-03-05 (a Tuesday) 14:07:09 and 09:05:03 UTC.
constexpr std::int32_t kAfternoon = 1709647629;
constexpr std::int32_t kMorning = 1709629503;

} // namespace

TEST(CheckListTexts, IntervalsInTheirLargestWholeUnit) {
    EXPECT_EQ(Frequency(0, 0), "");
    EXPECT_EQ(Frequency(0, 1), "Every 1 second");
    EXPECT_EQ(Frequency(0, 2), "Every 2 seconds");
    EXPECT_EQ(Frequency(0, 59), "Every 59 seconds");
    EXPECT_EQ(Frequency(0, 60), "Every 1 minute");
    EXPECT_EQ(Frequency(0, 90), "Every 90 seconds");
    EXPECT_EQ(Frequency(0, 120), "Every 2 minutes");
    EXPECT_EQ(Frequency(0, 3540), "Every 59 minutes");
    EXPECT_EQ(Frequency(0, 3600), "Every 1 hour");
    EXPECT_EQ(Frequency(0, 5400), "Every 90 minutes");
    EXPECT_EQ(Frequency(0, 7200), "Every 2 hours");
    EXPECT_EQ(Frequency(0, 82800), "Every 23 hours");
    EXPECT_EQ(Frequency(0, 86400), "Every 1 day");
    EXPECT_EQ(Frequency(0, 90000), "Every 25 hours");
    EXPECT_EQ(Frequency(0, 172800), "Every 2 days");
    EXPECT_EQ(Frequency(0, 86401), "Every 86401 seconds");
    // Any mode other than 1 and 2 shows the interval.
    EXPECT_EQ(Frequency(7, 300), "Every 5 minutes");
    EXPECT_EQ(IntervalText(300).Str(), "Every 5 minutes");
}

TEST(CheckListTexts, ScheduledAndEventDriven) {
    testsupport::ScopedTimeZone utc;
    EXPECT_EQ(Frequency(2, 300), "Event-driven");
    CQvcString one, two;
    one.Format("e1000001;%d;0", kAfternoon);
    two.Format("e1000001;%d;0|d%d;%d;0", kAfternoon, 1709596800, kMorning);
    EXPECT_EQ(Frequency(1, 300, one.c_str()), "Scheduled (Every Sa,Su at 02:07:09 PM)");
    EXPECT_EQ(Frequency(1, 300, two.c_str()), "Scheduled (Every Sa,Su at 02:07:09 PM, ...)");
    // The configuration's formats are used.
    CSnDateTimeSettings formats;
    formats.Parse("dd.mm.yyyy||HH:mm");
    CQvcString dated;
    dated.Format("d%d;%d;0", 1709596800, kMorning);
    EXPECT_EQ(Frequency(1, 0, dated.c_str(), formats), "Scheduled (On 05.03.2024 at 09:05)");
    // A second entry that is empty does not count as one.
    EXPECT_EQ(Frequency(1, 0, (dated + "|").c_str(), formats), "Scheduled (On 05.03.2024 at 09:05)");
}

TEST(CheckListTexts, StatusTextWithAndWithoutTheCurrentTime) {
    EXPECT_EQ(Status(1, kMorning, 0), "Success");
    EXPECT_EQ(Status(3, kMorning, kMorning + 1), "Failure");
    // A result of this very second is still being processed ...
    EXPECT_EQ(Status(3, kMorning, kMorning), "Processing");
    EXPECT_EQ(Status(8, kMorning, kMorning), "Processing");
    // ... unless there is no status or the check is on hold.
    EXPECT_EQ(Status(0, kMorning, kMorning), "n/a");
    EXPECT_EQ(Status(5, kMorning, kMorning), "On Hold");
    EXPECT_EQ(Status(0, 0, 0), "n/a"); // never run: no time to compare
    EXPECT_EQ(Status(2, 0, 0, 1), "Processing");
    EXPECT_EQ(Status(6, 0, 0), "Error by Dependee");
    EXPECT_EQ(Status(7, 0, 0), "Failure by Dependee");
    EXPECT_EQ(Status(9, 0, 0), "n/a");
    EXPECT_EQ(Status(-1, 0, 0), "n/a");
}

TEST(CheckListTexts, DurationsAndLastUpdate) {
    EXPECT_EQ(DurationText(0).Str(), "< 1 sec");
    EXPECT_EQ(DurationText(1).Str(), "1 sec");
    EXPECT_EQ(DurationText(59).Str(), "59 sec");
    EXPECT_EQ(DurationText(60).Str(), "01m:00s");
    EXPECT_EQ(DurationText(61).Str(), "01m:01s");
    EXPECT_EQ(DurationText(3725).Str(), "62m:05s");
    EXPECT_EQ(DurationText(6000).Str(), "100m:00s");

    testsupport::ScopedTimeZone utc;
    CSnNode node;
    EXPECT_EQ(LastUpdateText(node, CSnDateTimeSettings()).Str(), "");
    node.Result.LastUpdate = kAfternoon;
    EXPECT_EQ(LastUpdateText(node, CSnDateTimeSettings()).Str(), "03/05/2024 02:07:09 PM");
}
