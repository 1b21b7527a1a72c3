// sentrelle check on a temporary installation whose tree text and records were damaged
// behind the store's back.
#include "CliTestRun.h"
#include "model/CfgTestRoot.h"

#include <gtest/gtest.h>

#include <string>

TEST(CheckCommand, ReportsRepairsAndExitsByHealth) {
    CfgTestRoot cfg;
    EXPECT_EQ(RunCli({"check", "--root", cfg.Root()}).Code, 0);
    Sql(cfg.ConfigFile(), "INSERT INTO \"Nodes\" (\"ID\") VALUES (10000), (10001), (10002);"
                          "UPDATE \"Tree\" SET \"Tree\" = '1=10000,0;10000=0,10000,4444'");

    const CliOutcome found = RunCli({"check", "--root", cfg.Root()});
    EXPECT_EQ(found.Code, 1);
    EXPECT_EQ(found.Out,
              "tree: node 10000 under 1 is listed as its own child or sibling\n"
              "tree: node 4444 has no record\n"
              "records: 2 records are in no tree: 10001 10002\n"
              "3 problems found; 'sentrelle check --repair' fixes what can be fixed without guessing.\n");

    const CliOutcome repaired = RunCli({"check", "--repair", "--root", cfg.Root()});
    EXPECT_EQ(repaired.Code, 0) << repaired.Err;
    EXPECT_NE(
        repaired.Out.find("Repaired: dropped 1 faulty tree occurrence and 1 dangling ID, deleted 2 orphan "
                          "records.\nThe configuration is healthy.\n"),
        std::string::npos)
        << repaired.Out;
    EXPECT_EQ(RunCli({"check", "--root", cfg.Root()}).Code, 0);
    EXPECT_EQ(RunCli({"check", "--fix"}).Code, 2);
}
