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
    const std::pair<std::int32_t, const char*> cases[] = {
        {0, ""},                 {1, "Every 1 second"},     {2, "Every 2 seconds"},  {59, "Every 59 seconds"},
        {60, "Every 1 minute"},  {90, "Every 90 seconds"},  {120, "Every 2 minutes"}, {3540, "Every 59 minutes"},
        {3600, "Every 1 hour"},  {5400, "Every 90 minutes"}, {7200, "Every 2 hours"},  {82800, "Every 23 hours"},
        {86400, "Every 1 day"},  {90000, "Every 25 hours"}, {172800, "Every 2 days"},
        {86401, "Every 86401 seconds"}};
    for (const auto& [seconds, text] : cases)
        EXPECT_EQ(Frequency(0, seconds), text) << seconds;
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
    // A result of this very second is still being processed, unless there is no status or
    // the check is on hold; a check never run has no time to compare.
    std::string texts;
    for (const std::string& text :
         {Status(1, kMorning, 0), Status(3, kMorning, kMorning + 1), Status(3, kMorning, kMorning),
          Status(8, kMorning, kMorning), Status(0, kMorning, kMorning), Status(5, kMorning, kMorning),
          Status(0, 0, 0), Status(2, 0, 0, 1), Status(6, 0, 0), Status(9, 0, 0)})
        texts += text + "|";
    EXPECT_EQ(texts, "Success|Failure|Processing|Processing|n/a|On Hold|n/a|Processing|Error by Dependee|n/a|");
}

TEST(CheckListTexts, DurationsAndLastUpdate) {
    std::string durations;
    for (std::int32_t seconds : {0, 1, 59, 60, 61, 3725, 6000})
        durations += DurationText(seconds).Str() + "|";
    EXPECT_EQ(durations, "< 1 sec|1 sec|59 sec|01m:00s|01m:01s|62m:05s|100m:00s|");

    testsupport::ScopedTimeZone utc;
    CSnNode node;
    EXPECT_EQ(LastUpdateText(node, CSnDateTimeSettings()).Str(), "");
    node.Result.LastUpdate = kAfternoon;
    EXPECT_EQ(LastUpdateText(node, CSnDateTimeSettings()).Str(), "03/05/2024 02:07:09 PM");
}
