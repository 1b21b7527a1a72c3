// sentrelle history on an installation made by init, with history written as the engine does.
#include "CliTestRun.h"
#include "TestSupport.h"
#include "model/history/HistoryStore.h"
#include "model/tree/NodeStatus.h"

#include <gtest/gtest.h>

TEST(HistoryCommand, PrintsAChecksHistoryNewestFirstAndNamesWhatIsMissing) {
    testsupport::ScopedHives hives;
    testsupport::ScopedTimeZone utc("UTC");
    const std::string root = hives.Dir().File("root");
    ASSERT_EQ(RunCli({"init", root}).Code, 0);
    ASSERT_EQ(RunCli({"add-checks", "--type", "DNS", "--folder", "1", "--hosts", "ns1"}).Code, 0);
    const std::string id = "10000"; // the first ID the configuration hands out
    const CliOutcome none = RunCli({"history", id});
    EXPECT_EQ(none.Code, 1);
    EXPECT_NE(none.Err.find("no history has been kept yet (" + root + "/Logs/Statistics.db does not exist"),
              std::string::npos) << none.Err;

    constexpr std::int64_t t0 = 1772359200; // 2026-03-01 10:00:00
    const std::int32_t check = std::stoi(id);
    CHistoryStore store;
    ASSERT_EQ(store.Open(root + "/Logs/Statistics.db", true), 0);
    ASSERT_EQ(store.Append({{t0, check, kStatusSuccess, "12", 40, "Resolved", true},
                            {t0 + 300, check, kStatusSuccess, "13", 41, "Resolved", false},
                            {t0 + 86400, check, kStatusFailure, "", 5000, "No answer, \"timeout\"", true},
                            {t0 + 600, check + 1, kStatusFailure, "", 0, "another check", true}},
                           {}),
              0);
    EXPECT_EQ(RunCli({"history", id, "--since", "2026-03-01 10:01"}).Out,
              "2026-03-02 10:00:00 | Failure | changed |  | 5000 ms | No answer, \"timeout\"\n"
              "2026-03-01 10:05:00 | Success |  | 13 | 41 ms | Resolved\n");
    EXPECT_EQ(RunCli({"history", id, "--changes", "--until", "2026-03-02", "--format", "csv"}).Out,
              "Time,Status,Change,Data,ResponseMs,Response\n2026-03-01 10:00:00,Success,1,12,40,Resolved\n");
    EXPECT_EQ(RunCli({"history", id, "--since", "-1d", "--format", "csv"}).Out,
              "Time,Status,Change,Data,ResponseMs,Response\n");

    const CliOutcome folder = RunCli({"history", "1"});
    EXPECT_EQ(std::make_pair(folder.Code, folder.Err), std::make_pair(1, std::string("sentrelle history: no check has the ID 1\n")));
    for (const std::vector<std::string>& wrong : {std::vector<std::string>{"history", id, "--since", "yesterday"},
                                                  {"history", id, "--format", "xml"}, {"history"}})
        EXPECT_EQ(RunCli(wrong).Code, 2) << wrong.back();
}
