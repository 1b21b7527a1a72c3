// The folder commands' decisions over one tree: root 1 > folder 10 "Web" > folder 11
// "Inner" and check 20; check 21 in Inner, check 22 directly under the root.
#include "model/console/FolderCommandRules.h"

#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

#include <deque>

using foldercmd::DeletePlan;

class FolderCommandRules : public ::testing::Test {
protected:
    void SetUp() override {
        const struct { long parent; std::int32_t id; const char* name; } tree[] = {
            {0, 1, "Root"}, {1, 10, "Web"}, {10, 11, "Inner"}, {10, 20, "a"}, {11, 21, "b"}, {1, 22, "c"}};
        for (const auto& [parent, id, name] : tree) {
            CSnNode& n = nodes.emplace_back();
            n.Cfg.ID = id;
            n.Cfg.Name = name;
            n.Cfg.Function.Type = id < 20 ? kTypeFolder : 10;
            CSnCfg::AppendChild(Node(parent), &n);
        }
    }
    CSnNode* Node(long id) { return nodes.empty() ? nullptr : CSnCfg::FindNode(&nodes.front(), id); }
    std::deque<CSnNode> nodes;
};

TEST_F(FolderCommandRules, DeleteActsOnTheFocusedFolderOrTheSelectedChecks) {
    using K = DeletePlan::Kind;
    const struct { bool treeFocus; long folder; std::vector<CSnNode*> checks; DeletePlan plan; } rows[] = {
        {true, 1, {}, {K::Refuse, "Root Folder cannot be deleted.", 0, {}}},
        {true, 10, {Node(20)},
         {K::Folder, "Are you sure you want to remove the folder Web and all its contents?", 10, {}}},
        {true, 99, {Node(20)}, {}},
        {false, 10, {Node(20), nullptr, Node(22)},
         {K::Checks, "Are you sure you want to delete the selected Check(s)?", 0, {20, 22}}},
        {false, 10, {nullptr}, {}},
    };
    for (const auto& row : rows)
        EXPECT_EQ(foldercmd::PlanDelete(row.treeFocus, Node(row.folder), row.checks), row.plan) << row.folder;
    // A check stands for the folder that holds it.
    EXPECT_EQ(foldercmd::TargetFolder(Node(1), 21), Node(11));
    EXPECT_EQ(foldercmd::TargetFolder(Node(1), 99), nullptr);
}

TEST_F(FolderCommandRules, NamesOfOnlyBlanksAreRefusedAndFactsCountEverythingBelow) {
    EXPECT_EQ(foldercmd::CheckFolderName(" \t\r\n ").Text, CQvcString("Folder Name required."));
    EXPECT_FALSE(foldercmd::CheckFolderName(" x ").Refused());
    using F = foldercmd::FolderFacts;
    const char* id = "  (used in log files and reports)";
    EXPECT_EQ(foldercmd::DescribeFolder(Node(1), 1), (F{"n/a", "2 Folders, 3 Checks", std::string("1") + id}));
    EXPECT_EQ(foldercmd::DescribeFolder(Node(1), 11), (F{"Web", "0 Folders, 1 Checks", std::string("11") + id}));
    // A folder being created is not in the tree yet: it names the folder it goes into.
    EXPECT_EQ(foldercmd::DescribeFolder(Node(1), 50, Node(11)),
              (F{"Inner", "0 Folders, 0 Checks", std::string("50") + id}));
}
