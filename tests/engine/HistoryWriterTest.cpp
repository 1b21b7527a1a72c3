// The history writer when its database cannot be had: logged once, nothing else stops.
#include "engine/EngineLog.h"
#include "engine/HistoryWriter.h"
#include "model/tree/NodeStatus.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

TEST(HistoryWriter, ADatabaseThatCannotBeOpenedIsLoggedOnceAndWritingResumesWhenItCan) {
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("Logs"), "a file where the directory should be");
    CEngineLog log;
    ASSERT_TRUE(log.Open(CQvcString(dir.File("engine.log"))));
    CHistoryWriter writer(CQvcString(dir.File("Logs/Statistics.db")), CSnStatsLimits(), &log,
                          std::chrono::milliseconds(0));
    for (std::int64_t t = 100; t <= 300; t += 100) {
        if (t == 300)
            std::filesystem::remove(dir.File("Logs"));
        writer.Record(10000, t, t == 200 ? kStatusFailure : kStatusSuccess, "1", 5, "reply");
        writer.Flush();
    }
    const std::string text = testsupport::ReadFile(dir.File("engine.log"));
    std::istringstream lines(text);
    int refusals = 0;
    for (std::string line; std::getline(lines, line);)
        refusals += line.find("No history is kept") != std::string::npos ? 1 : 0;
    EXPECT_EQ(refusals, 1) << text;
    // What came while it could not be opened is gone; the recovery at 300 s is kept.
    CHistoryStore store;
    ASSERT_EQ(store.Open(CQvcString(dir.File("Logs/Statistics.db")), false), 0);
    std::vector<CHistoryEntry> entries;
    ASSERT_EQ(store.Entries(10000, 0, 1000, entries), 0);
    EXPECT_EQ(entries, (std::vector<CHistoryEntry>{{300, 10000, kStatusSuccess, "1", 5, "reply", true}}));
}
