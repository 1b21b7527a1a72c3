#include "model/schedule/SnCfgSchedule.h"
#include "model/settings/DateTimeFormat.h"
#include "model/schedule/SnCfgScheduleList.h"
#include "model/schedule/ScheduleListEditor.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <tuple>

namespace {

using ScopedUtc = testsupport::ScopedTimeZone;

// 2024-03-05 (a Tuesday) 14:07:09 UTC.
constexpr std::int32_t kAfternoon = 1709647629;
// 2024-03-05 09:05:03 UTC.
constexpr std::int32_t kMorning = 1709629503;

} // namespace

TEST(DateTimeFormat, PatternsOfTheSettings) {
    const platform::LocalTime t{2024, 3, 5, 14, 7, 9, 2, 0};
    const struct {
        platform::LocalTime time;
        const char* pattern;
        const char* expected;
    } cases[] = {
        {t, kDefaultDateFormat, "03/05/2024"},
        {t, kDefaultTimeFormat, "02:07:09 PM"},
        {t, "dd.mm.yyyy HH:mm", "05.03.2024 14:07"},
        {t, "d/m/yy h:m:s t", "5/3/24 2:7:9 P"},
        {t, "dddd, mmmm d, yyyy", "Tuesday, March 5, 2024"},
        {t, "ddd dd-MMM-yyyy", "Tue 05-Mar-2024"},
        {t, "MM/DD/YYYY", "03/05/2024"},
        // "mm" before seconds is the minute even without an hour before it.
        {t, "mm:ss", "07:09"},
        // Quoted text is copied; '' is one quote.
        {t, "'Day' d 'o''clock' H", "Day 5 o'clock 14"},
        {t, "'unclosed d", "unclosed d"},
        {t, "", ""},
        {t, "y", "24"},
        // 12-hour clock boundaries.
        {{2024, 1, 1, 0, 0, 0, 1, 0}, "hh:mm tt", "12:00 AM"},
        {{2024, 1, 1, 12, 0, 0, 1, 0}, "hh:mm tt", "12:00 PM"},
        {{2024, 1, 1, 11, 59, 0, 1, 0}, "h:mm tt", "11:59 AM"},
        {{2024, 1, 1, 23, 0, 0, 1, 0}, "HH", "23"},
        {{2009, 12, 31, 0, 0, 0, 4, 0}, "yy mmmm", "09 December"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatDateTimePattern(c.time, c.pattern).Str(), c.expected) << c.pattern;

    ScopedUtc utc;
    EXPECT_EQ(FormatLocalDateTime(kAfternoon, "yyyy-mm-dd HH:mm:ss").Str(), "2024-03-05 14:07:09");
}

// An entry as "kind days date time hours", days Sunday first.
static std::string Fields(const CSnCfgSchedule& s) {
    std::string days;
    for (std::int32_t d : s.Days)
        days += std::to_string(d);
    return std::to_string(s.Kind) + " " + days + " " + std::to_string(s.Date) + " " + std::to_string(s.Time) + " " +
           std::to_string(s.Hours);
}

TEST(SnCfgSchedule, ParsingOddEntries) {
    // Parsed one after the other into one object: every parse sets every field.
    const CQvcString list = "e0100000;100;0| d5;200;1 |e0000010;300;0";
    const struct {
        CQvcString text;
        int index;
        const char* fields;
    } cases[] = {
        {"e1000001;3600;0", 0, "0 1000001 0 3600 0"}, // a weekend schedule
        // A weekday part that is not 8 characters long: kind 0 without any day.
        {"e101;3600;0", 0, "0 0000000 0 3600 0"},
        {"e1x2y0011;5;0", 0, "0 0000000 0 5 0"},
        {"e1x2y001;5;0", 0, "0 1000001 0 5 0"}, // only "1" sets a day
        // A dated entry with a maintenance length; a time that is not a number.
        {"d1709596800;kAfternoon;4", 0, "1 0000000 1709596800 0 4"},
        // A missing third part: no kind or days, but time and hours are read.
        {"e1111111;7200", 0, "0 0000000 0 7200 0"},
        {"d1;1;1", 0, "1 0000000 1 1 1"},
        {" ;7200;3 ", 0, "0 0000000 0 7200 3"}, // an empty first part
        {"x1111111;10;1", 0, "0 0000000 0 10 1"}, // an unknown first letter
        // Entry i of a list; a missing or empty entry leaves every field 0.
        {list, 1, "1 0000000 5 200 1"},
        {list, 2, "0 0000010 0 300 0"},
        {list, 3, "0 0000000 0 0 0"},
        {"", 0, "0 0000000 0 0 0"},
        {list, -1, "0 0000000 0 0 0"},
    };
    CSnCfgSchedule s;
    for (const auto& c : cases) {
        s.Parse(c.text, c.index);
        EXPECT_EQ(Fields(s), c.fields) << c.text.Str() << " #" << c.index;
    }
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
    const struct {
        const CSnCfgSchedule& base;
        void (*change)(CSnCfgSchedule&);
        bool equal;
    } changes[] = {
        {s, [](CSnCfgSchedule& x) { x.Date = 99; }, true},
        {s, [](CSnCfgSchedule& x) { x.Days[CSnCfgSchedule::kSunday] = 1; }, false},
        {s, [](CSnCfgSchedule& x) { x.Time += 60; }, false},
        {d, [](CSnCfgSchedule& x) { x.Days[0] = 1; }, true},
        {d, [](CSnCfgSchedule& x) { x.Date += 86400; }, false},
        {d, [](CSnCfgSchedule& x) { x.Hours = 5; }, false},
        {d, [](CSnCfgSchedule& x) { x.Kind = 0; }, false},
    };
    for (std::size_t i = 0; i < std::size(changes); ++i) {
        CSnCfgSchedule other = changes[i].base;
        EXPECT_TRUE(other == changes[i].base);
        changes[i].change(other);
        EXPECT_EQ(other == changes[i].base, changes[i].equal) << "change " << i;
    }
}

TEST(SnCfgSchedule, DisplayTexts) {
    ScopedUtc utc;
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
}

TEST(ScheduleListEditor, AddRefusalsQuestionAndOk) {
    using Use = CScheduleListEditor::Use;
    CQvcString full; // 24 entries
    for (int i = 1; i <= CSnCfgScheduleList::kMaxEntries; ++i)
        full += CQvcString().Format("%se0000001;%d;1", i > 1 ? "|" : "", i * 60);
    const struct {
        Use use;
        const char* list;
        const char* typed;
        bool added;
        unsigned refusal;
        std::size_t rows;
        bool pending; // OK asks about the typed entry
    } cases[] = {
        {Use::Scan, "", "e0100000;3600;0", true, 0, 1, true},
        {Use::Scan, "", "e0000000;3600;0", false, 51636, 0, false},
        {Use::Scan, full.c_str(), "e0100000;3600;0", false, 51635, 24, true},
        {Use::CheckMaintenance, "", "d86400;3600;0", true, 0, 1, true},
        {Use::CheckMaintenance, "e0100000;3600;2", "e0100000;3600;2", true, 0, 2, true}, // duplicates stay
        {Use::GlobalMaintenance, "e0100000;3600;2", "e0100000;3600;2", false, 0, 1, true}, // left out silently
        {Use::GlobalMaintenance, "", "e0100000;3600;0", false, 50358, 0, true},
        {Use::GlobalMaintenance, "", "e0000000;3600;2", false, 51636, 0, false},
        {Use::GlobalMaintenance, "e0100000;3600;2", "d86400;3600;2", true, 0, 2, true},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        CScheduleListEditor editor(c.use, CSnCfgScheduleList(c.list));
        const CSnCfgSchedule typed = CSnCfgScheduleList(c.typed).Entry(0);
        EXPECT_EQ(editor.HasPendingEntry(typed), c.pending) << "case " << i;
        const CScheduleListEditor::AddResult result = editor.Add(typed);
        EXPECT_EQ(std::make_tuple(result.Added, result.Message.Id, editor.Rows().size(), result.Message.ErrorIcon),
                  std::make_tuple(c.added, c.refusal, c.rows, c.refusal == 51635))
            << "case " << i;
    }
    CScheduleListEditor scan(Use::Scan, CSnCfgScheduleList(full));
    EXPECT_EQ(scan.Add({}).Message.Text.Str(), "You cannot define more than 24 schedules.");

    // OK: scan schedules need a row; rows come back in order after a removal.
    scan = CScheduleListEditor(Use::Scan, CSnCfgScheduleList("e0100000;100;0|e0010000;200;0|e0001000;300;0"));
    scan.Remove(1);
    scan.Remove(7); // out of range: nothing
    EXPECT_EQ(scan.List().Text().Str(), "e0100000;100;0|e0001000;300;0");
    EXPECT_FALSE(scan.CheckOk().Refused());
    scan.Remove(0);
    scan.Remove(0);
    EXPECT_EQ(scan.CheckOk().Text.Str(), "At least one Schedule is required.");
}
