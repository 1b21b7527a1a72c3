#include "model/DateTimeFormat.h"
#include "model/SnCfgSchedule.h"
#include "model/SnCfgScheduleList.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

namespace {

// 2024-03-05 (a Tuesday) 14:07:09 UTC.
constexpr std::int32_t kAfternoon = 1709647629;
// 2024-03-05 09:05:03 UTC.
constexpr std::int32_t kMorning = 1709629503;

platform::LocalTime Time(int year, int month, int day, int hour, int minute, int second, int weekday) {
    platform::LocalTime t{};
    t.year = year;
    t.month = month;
    t.day = day;
    t.hour = hour;
    t.minute = minute;
    t.second = second;
    t.weekday = weekday;
    return t;
}

} // namespace

TEST(DateTimeFormat, PatternsOfTheSettings) {
    const platform::LocalTime t = Time(2024, 3, 5, 14, 7, 9, 2);
    EXPECT_EQ(FormatDateTimePattern(t, kDefaultDateFormat).Str(), "03/05/2024");
    EXPECT_EQ(FormatDateTimePattern(t, kDefaultTimeFormat).Str(), "02:07:09 PM");
    EXPECT_EQ(FormatDateTimePattern(t, "dd.mm.yyyy HH:mm").Str(), "05.03.2024 14:07");
    EXPECT_EQ(FormatDateTimePattern(t, "d/m/yy h:m:s t").Str(), "5/3/24 2:7:9 P");
    EXPECT_EQ(FormatDateTimePattern(t, "dddd, mmmm d, yyyy").Str(), "Tuesday, March 5, 2024");
    EXPECT_EQ(FormatDateTimePattern(t, "ddd dd-MMM-yyyy").Str(), "Tue 05-Mar-2024");
    EXPECT_EQ(FormatDateTimePattern(t, "MM/DD/YYYY").Str(), "03/05/2024");
    // "mm" before seconds is the minute even without an hour before it.
    EXPECT_EQ(FormatDateTimePattern(t, "mm:ss").Str(), "07:09");
    // Quoted text is copied; '' is one quote.
    EXPECT_EQ(FormatDateTimePattern(t, "'Day' d 'o''clock' H").Str(), "Day 5 o'clock 14");
    EXPECT_EQ(FormatDateTimePattern(t, "'unclosed d").Str(), "unclosed d");
    EXPECT_EQ(FormatDateTimePattern(t, "").Str(), "");
    EXPECT_EQ(FormatDateTimePattern(t, "y").Str(), "24");

    // 12-hour clock boundaries.
    EXPECT_EQ(FormatDateTimePattern(Time(2024, 1, 1, 0, 0, 0, 1), "hh:mm tt").Str(), "12:00 AM");
    EXPECT_EQ(FormatDateTimePattern(Time(2024, 1, 1, 12, 0, 0, 1), "hh:mm tt").Str(), "12:00 PM");
    EXPECT_EQ(FormatDateTimePattern(Time(2024, 1, 1, 11, 59, 0, 1), "h:mm tt").Str(), "11:59 AM");
    EXPECT_EQ(FormatDateTimePattern(Time(2024, 1, 1, 23, 0, 0, 1), "HH").Str(), "23");
    EXPECT_EQ(FormatDateTimePattern(Time(2009, 12, 31, 0, 0, 0, 4), "yy mmmm").Str(), "09 December");

    testsupport::ScopedTimeZone utc("UTC");
    EXPECT_EQ(FormatLocalDateTime(kAfternoon, "yyyy-mm-dd HH:mm:ss").Str(), "2024-03-05 14:07:09");
}

TEST(SnCfgSchedule, ParsingOddEntries) {
    CSnCfgSchedule s;
    // A weekend schedule.
    s.Parse("e1000001;3600;0", 0);
    EXPECT_EQ(s.Kind, 0);
    EXPECT_EQ(s.Days[CSnCfgSchedule::kSunday], 1);
    EXPECT_EQ(s.Days[CSnCfgSchedule::kSaturday], 1);
    EXPECT_EQ(s.Days[CSnCfgSchedule::kMonday], 0);
    EXPECT_EQ(s.Time, 3600);
    EXPECT_EQ(s.Hours, 0);

    // A weekday part that is not 8 characters long: kind 0 without any day.
    s.Parse("e101;3600;0", 0);
    EXPECT_EQ(s.Kind, 0);
    EXPECT_FALSE(s.AnyDaySet());
    EXPECT_EQ(s.Time, 3600);
    // Only "1" sets a day.
    s.Parse("e1x2y0011;5;0", 0); // 9 characters: too long
    EXPECT_FALSE(s.AnyDaySet());
    s.Parse("e1x2y001;5;0", 0);
    EXPECT_EQ(s.Days[0], 1);
    EXPECT_EQ(s.Days[2], 0);
    EXPECT_EQ(s.Days[6], 1);

    // A dated entry with a maintenance length.
    s.Parse("d1709596800;kAfternoon;4", 0);
    EXPECT_EQ(s.Kind, 1);
    EXPECT_EQ(s.Date, 1709596800);
    EXPECT_EQ(s.Time, 0); // not a number
    EXPECT_EQ(s.Hours, 4);

    // A missing third part: no kind or days, but time and hours are read.
    s.Parse("e1111111;7200", 0);
    EXPECT_FALSE(s.AnyDaySet());
    EXPECT_EQ(s.Time, 7200);
    EXPECT_EQ(s.Hours, 0);
    // An empty first part: time and hours are still read.
    s.Parse(" ;7200;3 ", 0);
    EXPECT_EQ(s.Kind, 0);
    EXPECT_EQ(s.Time, 7200);
    EXPECT_EQ(s.Hours, 3);
    // An unknown first letter.
    s.Parse("x1111111;10;1", 0);
    EXPECT_EQ(s.Kind, 0);
    EXPECT_FALSE(s.AnyDaySet());

    // Entry i of a list; a missing or empty entry leaves every field 0, even after a
    // previous parse.
    const CQvcString list = "e0100000;100;0| d5;200;1 |e0000010;300;0";
    s.Parse(list, 1);
    EXPECT_EQ(s.Kind, 1);
    EXPECT_EQ(s.Date, 5);
    EXPECT_EQ(s.Time, 200);
    s.Parse(list, 2);
    EXPECT_EQ(s.Days[CSnCfgSchedule::kFriday], 1);
    s.Parse(list, 3);
    EXPECT_EQ(s.Time, 0);
    EXPECT_EQ(s.Kind, 0);
    s.Parse("", 0);
    EXPECT_EQ(s.Time, 0);
    s.Parse(list, -1);
    EXPECT_EQ(s.Time, 0);
}

TEST(SnCfgSchedule, FormatCompareRoundTrip) {
    CSnCfgSchedule s;
    s.Days[CSnCfgSchedule::kMonday] = 1;
    s.Days[CSnCfgSchedule::kWednesday] = 1;
    s.Time = kAfternoon;
    EXPECT_EQ(s.ToText().Str(), "e0101000;1709647629;0");

    CSnCfgSchedule d;
    d.Kind = CSnCfgSchedule::kKindDate;
    d.Date = 1709596800;
    d.Time = -1;
    d.Hours = 4;
    EXPECT_EQ(d.ToText().Str(), "d1709596800;-1;4");

    for (const CSnCfgSchedule& original : {s, d}) {
        CSnCfgSchedule back;
        back.Parse(original.ToText(), 0);
        EXPECT_TRUE(back.IsEqual(original));
    }

    // Equality: days count only for kind 0, the date only for kind 1.
    CSnCfgSchedule other = s;
    EXPECT_TRUE(other == s);
    other.Date = 99;
    EXPECT_TRUE(other == s);
    other.Days[CSnCfgSchedule::kSunday] = 1;
    EXPECT_FALSE(other == s);
    other = d;
    other.Days[0] = 1;
    EXPECT_TRUE(other == d);
    other.Date += 86400;
    EXPECT_FALSE(other == d);
    other = d;
    other.Hours = 5;
    EXPECT_FALSE(other == d);
    other = d;
    other.Kind = 0;
    EXPECT_FALSE(other == d);
    other = s;
    other.Time += 60;
    EXPECT_FALSE(other == s);
}

TEST(SnCfgSchedule, DisplayTexts) {
    testsupport::ScopedTimeZone utc("UTC");
    CSnCfgSchedule s;
    s.Parse("e1000001;1709647629;0", 0);
    EXPECT_EQ(s.Describe(kDefaultDateFormat, kDefaultTimeFormat, false).Str(), "Every Sa,Su at 02:07:09 PM");

    s.Parse("e0111110;1709629503;0", 0);
    EXPECT_EQ(s.Describe(kDefaultDateFormat, "HH:mm", false).Str(), "Every Mo,Tu,We,Th,Fr at 09:05");

    s.Parse("e0000000;1709629503;0", 0);
    EXPECT_EQ(s.Describe(kDefaultDateFormat, "HH:mm", false).Str(), "Every  at 09:05");

    CQvcString text;
    text.Format("d%d;%d;4", 1709596800, kMorning);
    s.Parse(text, 0);
    EXPECT_EQ(s.Describe(kDefaultDateFormat, kDefaultTimeFormat, true).Str(),
              "On 03/05/2024 at 09:05:03 AM for 4 hours");
    EXPECT_EQ(s.Describe("dd.mm.yyyy", "HH:mm:ss", true).Str(), "On 05.03.2024 at 09:05:03 for 4 hours");
}

TEST(SnCfgScheduleList, EntriesAppendAndLimit) {
    // The empty piece between two bars ends the list.
    CSnCfgScheduleList list("e0100000;100;0||e0010000;200;0");
    auto entries = list.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].Days[CSnCfgSchedule::kMonday], 1);
    EXPECT_EQ(list.PieceCount(), 3);

    // An entry whose time is 0 ends the list too.
    list.SetText("e0100000;100;0|e0010000;0;0|e0001000;300;0");
    EXPECT_EQ(list.Entries().size(), 1u);

    CSnCfgScheduleList built;
    EXPECT_EQ(built.PieceCount(), 0);
    CSnCfgSchedule entry;
    entry.Days[CSnCfgSchedule::kTuesday] = 1;
    for (int i = 1; i <= CSnCfgScheduleList::kMaxEntries; ++i) {
        entry.Time = i * 60;
        ASSERT_TRUE(built.Append(entry)) << i;
    }
    EXPECT_TRUE(built.Text().StartsWith("e0010000;60;0|e0010000;120;0|"));
    EXPECT_FALSE(built.Text().EndsWith("|"));
    // The 25th is refused and the text stays as it was.
    const CQvcString full = built.Text();
    entry.Time = 99999;
    EXPECT_FALSE(built.Append(entry));
    EXPECT_EQ(built.Text(), full);

    entries = built.Entries();
    ASSERT_EQ(entries.size(), 24u);
    EXPECT_EQ(entries[23].Time, 24 * 60);

    // Rebuilding from the entries gives the same text; too many entries are cut at 24.
    CSnCfgScheduleList copy;
    EXPECT_TRUE(copy.Assign(entries));
    EXPECT_EQ(copy.Text(), full);
    entries.push_back(entry);
    EXPECT_FALSE(copy.Assign(entries));
    EXPECT_EQ(copy.Text(), full);

    copy.Clear();
    EXPECT_TRUE(copy.Text().IsEmpty());
    EXPECT_TRUE(copy.Entries().empty());
    EXPECT_EQ(copy.Entry(0).Time, 0);
}

namespace {

constexpr std::int64_t kDay = 86400;
// Midnight UTC of 2024-03-04 (a Monday) and the following days.
constexpr std::int64_t kMon = 1709510400;
constexpr std::int64_t kTue = kMon + kDay;
constexpr std::int64_t kWed = kMon + 2 * kDay;
constexpr std::int64_t kSat = kMon + 5 * kDay;

CSnCfgSchedule Entry(const char* text) {
    CSnCfgSchedule s;
    s.Parse(text, 0);
    return s;
}

std::string At(const char* days, std::int64_t time, int hours) {
    return std::string(days) + ";" + std::to_string(time) + ";" + std::to_string(hours);
}

} // namespace

TEST(SnCfgSchedule, NextStartOfWeekdayAndDateEntries) {
    testsupport::ScopedTimeZone utc("UTC");
    // Monday and Wednesday at 08:30; the time value's date does not matter.
    const CSnCfgSchedule monWed = Entry(At("e0101000", kTue + 8 * 3600 + 1800, 0).c_str());
    const std::int64_t tuesdayAfternoon = kTue + 14 * 3600 + 7 * 60 + 9;
    EXPECT_EQ(monWed.NextStart(tuesdayAfternoon), kWed + 8 * 3600 + 1800);
    EXPECT_EQ(monWed.NextStart(kWed + 8 * 3600 + 1799), kWed + 8 * 3600 + 1800);
    // Strictly after: at the start itself the next one is the Monday after.
    EXPECT_EQ(monWed.NextStart(kWed + 8 * 3600 + 1800), kMon + 7 * kDay + 8 * 3600 + 1800);

    // Only Tuesday: later today, or a full week on when today's start has passed.
    const CSnCfgSchedule tue15 = Entry(At("e0010000", kMon + 15 * 3600, 0).c_str());
    EXPECT_EQ(tue15.NextStart(tuesdayAfternoon), kTue + 15 * 3600);
    const CSnCfgSchedule tue08 = Entry(At("e0010000", kMon + 8 * 3600, 0).c_str());
    EXPECT_EQ(tue08.NextStart(tuesdayAfternoon), kTue + 7 * kDay + 8 * 3600);

    // No day set, or a malformed day part: never.
    EXPECT_EQ(Entry(At("e0000000", kMon + 3600, 0).c_str()).NextStart(kTue), -1);
    EXPECT_EQ(Entry(At("e101", kMon + 3600, 0).c_str()).NextStart(kTue), -1);

    // A date entry starts once, on its date at the entry's time of day.
    const std::string dated = "d" + std::to_string(kSat + 3600) + ";" + std::to_string(kMon + 6 * 3600) + ";0";
    const CSnCfgSchedule once = Entry(dated.c_str());
    EXPECT_EQ(once.NextStart(kTue), kSat + 6 * 3600);
    EXPECT_EQ(once.NextStart(kSat + 6 * 3600), -1);
}

TEST(SnCfgSchedule, MaintenanceWindowsCoverTheirHours) {
    testsupport::ScopedTimeZone utc("UTC");
    // Saturday 22:00 for 4 hours runs into Sunday 02:00.
    const CSnCfgSchedule sat = Entry(At("e0000001", kMon + 22 * 3600, 4).c_str());
    const std::int64_t start = kSat + 22 * 3600;
    std::int64_t end = 0;
    EXPECT_FALSE(sat.Covers(start - 1));
    EXPECT_TRUE(sat.Covers(start, &end));
    EXPECT_EQ(end, start + 4 * 3600);
    EXPECT_TRUE(sat.Covers(start + 4 * 3600 - 1));
    EXPECT_FALSE(sat.Covers(start + 4 * 3600));
    // The same window a week later, and never on the Friday before.
    EXPECT_TRUE(sat.Covers(start + 7 * kDay + 3600));
    EXPECT_FALSE(sat.Covers(start - kDay + 3600));

    // A window longer than a day is found from a day it did not start on.
    const CSnCfgSchedule longMonday = Entry(At("e0100000", kMon, 50).c_str());
    EXPECT_TRUE(longMonday.Covers(kTue + 14 * 3600, &end));
    EXPECT_EQ(end, kMon + 50 * 3600);
    EXPECT_FALSE(longMonday.Covers(kMon + 50 * 3600));

    // Scan schedules (0 hours) cover nothing; a dated window covers its own hours only.
    EXPECT_FALSE(Entry(At("e1111111", kMon + 3600, 0).c_str()).Covers(kTue + 3600));
    const std::string dated = "d" + std::to_string(kWed) + ";" + std::to_string(kMon + 10 * 3600) + ";2";
    const CSnCfgSchedule wed = Entry(dated.c_str());
    EXPECT_TRUE(wed.Covers(kWed + 11 * 3600));
    EXPECT_FALSE(wed.Covers(kWed + 12 * 3600));
    EXPECT_FALSE(wed.Covers(kWed + 7 * kDay + 11 * 3600));
}

TEST(SnCfgSchedule, LocalTimeAcrossDaylightSavingChanges) {
    // Central European rules: summer time from the last Sunday of March 02:00 to the last
    // Sunday of October 03:00.
    testsupport::ScopedTimeZone cet("CET-1CEST,M3.5.0,M10.5.0/3");
    // Every day at 09:00 local, the time taken from a winter date.
    const CSnCfgSchedule daily = Entry(At("e1111111", 1704873600, 0).c_str());
    // Saturday 2024-03-30 10:00 CET: the next start is Sunday 09:00 CEST, 23 hours later.
    EXPECT_EQ(daily.NextStart(1711789200), 1711868400);
    EXPECT_EQ(daily.NextStart(1711785600 - 1), 1711785600);

    // Saturday 2024-10-26 23:00 CEST for 4 hours: the night is an hour longer, so the
    // window ends at 02:00 CET, four real hours later.
    const std::int64_t saturdayNight = 1729976400;
    const CSnCfgSchedule window = Entry(At("e0000001", saturdayNight, 4).c_str());
    std::int64_t end = 0;
    EXPECT_TRUE(window.Covers(saturdayNight + 4 * 3600 - 1, &end));
    EXPECT_EQ(end, saturdayNight + 4 * 3600);
    EXPECT_FALSE(window.Covers(saturdayNight + 4 * 3600));
}

TEST(SnCfgScheduleList, NextStartAndCoverOverTheListedEntries) {
    testsupport::ScopedTimeZone utc("UTC");
    const std::string text = At("e0100000", kMon + 9 * 3600, 2) + "|" + At("e0001000", kMon + 6 * 3600, 30);
    const CSnCfgScheduleList list{CQvcString(text)};
    EXPECT_EQ(list.NextStart(kTue), kWed + 6 * 3600);
    EXPECT_EQ(list.NextStart(kWed + 6 * 3600), kMon + 7 * kDay + 9 * 3600);
    std::int64_t end = 0;
    EXPECT_TRUE(list.Covers(kWed + 7 * 3600, &end));
    EXPECT_EQ(end, kWed + 36 * 3600);
    EXPECT_TRUE(list.Covers(kMon + 10 * 3600, &end));
    EXPECT_EQ(end, kMon + 11 * 3600);
    EXPECT_FALSE(list.Covers(kTue + 12 * 3600));

    // An entry whose time is 0 ends the list: what follows it never starts or covers.
    const CSnCfgScheduleList cut{CQvcString(At("e1111111", 0, 0) + "|" + At("e1111111", kMon + 3600, 24))};
    EXPECT_EQ(cut.NextStart(kTue), -1);
    EXPECT_FALSE(cut.Covers(kTue + 7200));
    EXPECT_EQ(CSnCfgScheduleList().NextStart(kTue), -1);
}
