// The activity view's lines: newest first, at most 200, only lines newer than the newest
// shown, the restart mark, skipped lines, and the date and time settings.
#include "TestSupport.h"
#include "model/console/SnActivityTracker.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <ctime>
#include <string>

namespace {

std::string Key(int n) {
    char key[16];
    std::snprintf(key, sizeof key, "%08d", n);
    return key;
}

// Lines first..last: key n, time 1700000000 + n, text "event n".
void AddLines(CQvcSectionString& log, int first, int last) {
    for (int n = first; n <= last; ++n)
        log.Append(Key(n) + "||" + std::to_string(1700000000 + n) + "||event " + std::to_string(n));
}

class SnActivityTrackerTest : public ::testing::Test {
protected:
    SnActivityTrackerTest() {
        tzset();
    }
    ~SnActivityTrackerTest() override {
        tz.Restore();
        tzset();
    }

    CSnActivityTracker Tracker() {
        return CSnActivityTracker(
            [this](CSnDateTimeSettings& s) {
                ++loads;
                s.DateFormat = dateFormat.c_str();
                s.TimeFormat = "HH:mm:ss";
            },
            [this] { return now; });
    }

    testsupport::ScopedEnv tz{"TZ", "UTC"};
    std::string dateFormat = "yyyy-mm-dd";
    int loads = 0;
    std::int64_t now = 5000;
};

TEST_F(SnActivityTrackerTest, RowsShowTheFormattedTimeAndTheText) {
    CSnActivityTracker tracker = Tracker();
    CQvcSectionString log;
    log.Append("00000001||1700000000||Engine started");
    log.Append("00000002||1700000061||Check 'web' failed: timeout");
    const std::vector<CQvcString> added = tracker.Refresh(log).added;
    const std::deque<CQvcString> rows = {"2023-11-14 22:14:21 - Check 'web' failed: timeout", // newest on top
                                          "2023-11-14 22:13:20 - Engine started"};
    EXPECT_EQ(added, (std::vector<CQvcString>{rows[1], rows[0]}));
    EXPECT_EQ(tracker.Rows(), rows);
    EXPECT_EQ(tracker.NewestKey(), "00000002");
}

TEST_F(SnActivityTrackerTest, FiveHundredNewLinesShowTheNewestTwoHundred) {
    CSnActivityTracker tracker = Tracker();
    CQvcSectionString log;
    AddLines(log, 1, 500);
    const CSnActivityTracker::Update update = tracker.Refresh(log);
    EXPECT_EQ(std::make_pair(update.added.size(), update.removed), std::make_pair(std::size_t{200}, std::size_t{0}));
    ASSERT_EQ(tracker.Rows().size(), 200u);
    EXPECT_GE(tracker.Rows().front().Find("event 500"), 0);
    EXPECT_GE(tracker.Rows().back().Find("event 301"), 0);
    EXPECT_EQ(tracker.NewestKey(), Key(500));

    // The same log again adds nothing.
    EXPECT_TRUE(tracker.Refresh(log).added.empty());
    // Ten more lines push ten old rows out at the bottom.
    AddLines(log, 501, 510);
    const CSnActivityTracker::Update more = tracker.Refresh(log);
    EXPECT_EQ(std::make_pair(more.added.size(), more.removed), std::make_pair(std::size_t{10}, std::size_t{10}));
    EXPECT_GE(tracker.Rows().front().Find("event 510"), 0);
    EXPECT_GE(tracker.Rows().back().Find("event 311"), 0);
}

TEST_F(SnActivityTrackerTest, RestartMarkMakesTheNewLogShowAgain) {
    CSnActivityTracker tracker = Tracker();
    CQvcSectionString log;
    AddLines(log, 1, 50);
    tracker.Refresh(log);

    // The engine restarted its log: smaller keys after a mark with a new time.
    CQvcSectionString restarted;
    restarted.Append("00000000||1700009000||Log restarted");
    restarted.Append("00000001||1700009001||after restart one");
    restarted.Append("00000002||1700009002||after restart two");
    const CSnActivityTracker::Update update = tracker.Refresh(restarted);
    ASSERT_EQ(update.added.size(), 3u);
    EXPECT_GE(tracker.Rows().front().Find("after restart two"), 0);
    EXPECT_EQ(tracker.Rows().size(), 53u);
    EXPECT_EQ(tracker.NewestKey(), "00000002");

    // The same mark on the next refresh is no new restart.
    EXPECT_TRUE(tracker.Refresh(restarted).added.empty());
    restarted.Append("00000003||1700009003||after restart three");
    EXPECT_EQ(tracker.Refresh(restarted).added.size(), 1u);

    // A mark without a newer time does not count as a restart either: lines whose keys
    // are not above the newest key stay out.
    CQvcSectionString stale;
    stale.Append("00000000||1700009000||Log restarted");
    stale.Append("00000001||1700009500||old key, new time");
    EXPECT_TRUE(tracker.Refresh(stale).added.empty());
}

TEST_F(SnActivityTrackerTest, MalformedLinesAndTheSeededEntryAreSkipped) {
    CSnActivityTracker tracker = Tracker();
    CQvcSectionString log;
    log.Append("EXISTS=1"); // what reading an empty log section leaves behind
    EXPECT_TRUE(tracker.Refresh(log).added.empty());
    EXPECT_TRUE(tracker.NewestKey().IsEmpty()); // it must not hide the real keys
    EXPECT_TRUE(tracker.Rows().empty());

    log.Append("00000001||0||time zero");
    log.Append("00000002||-5||negative time");
    log.Append("00000003||soon||not a number");
    log.Append("00000004||||no time");
    log.Append("00000005||1700000005||");
    log.Append("||1700000006||no key");
    log.Append("00000007||1700000007");
    log.Append("00000008||1700000008||good");
    const CSnActivityTracker::Update update = tracker.Refresh(log);
    ASSERT_EQ(update.added.size(), 1u);
    EXPECT_GE(update.added[0].Find("good"), 0);
    EXPECT_EQ(tracker.NewestKey(), "00000008");
}

TEST_F(SnActivityTrackerTest, KeysCompareByteByByte) {
    CSnActivityTracker tracker = Tracker();
    CQvcSectionString log;
    log.Append("00000009||1700000009||nine");
    tracker.Refresh(log);
    CQvcSectionString next;
    next.Append("00000009||1700000009||nine");
    next.Append("0000000A||1700000010||ten in hex");
    next.Append("00000010||1700000011||sixteen");
    const CSnActivityTracker::Update update = tracker.Refresh(next);
    ASSERT_EQ(update.added.size(), 2u);
    EXPECT_GE(update.added[0].Find("ten in hex"), 0);
    EXPECT_EQ(tracker.NewestKey(), "00000010"); // the last line's key
}

TEST_F(SnActivityTrackerTest, DateAndTimeSettingsAreReloadedAtMostEveryThirtySeconds) {
    CSnActivityTracker tracker = Tracker();
    CQvcSectionString log;
    AddLines(log, 1, 1);
    tracker.Refresh(log);
    EXPECT_EQ(loads, 1);

    dateFormat = "dd.mm.yyyy";
    now += 29;
    AddLines(log, 2, 2);
    tracker.Refresh(log);
    EXPECT_EQ(loads, 1);
    EXPECT_EQ(tracker.Rows().front().Left(10), "2023-11-14");

    now += 1;
    AddLines(log, 3, 3);
    tracker.Refresh(log);
    EXPECT_EQ(loads, 2);
    EXPECT_EQ(tracker.Rows().front().Left(10), "14.11.2023");
}

} // namespace
