// The check list's order, tested without a window.
#include "manager/mainframe/CheckListSort.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class Rows {
public:
    CSnNode* Add(const char* name, long id = 0) {
        auto node = std::make_unique<CSnNode>();
        node->Cfg.Name = name;
        node->Cfg.ID = static_cast<std::int32_t>(id != 0 ? id : 10000 + static_cast<long>(m_nodes.size()));
        node->Cfg.Function.Type = kTypeIcmpPing;
        m_nodes.push_back(std::move(node));
        return m_nodes.back().get();
    }
    std::vector<CSnNode*> All() const {
        std::vector<CSnNode*> all;
        for (const auto& n : m_nodes)
            all.push_back(n.get());
        return all;
    }

private:
    std::vector<std::unique_ptr<CSnNode>> m_nodes;
};

std::vector<std::string> Sorted(std::vector<CSnNode*> rows, int column, bool ascending) {
    SortCheckRows(rows, column, ascending);
    std::vector<std::string> names;
    for (const CSnNode* n : rows)
        names.push_back(n->Cfg.Name.Str());
    return names;
}

} // namespace

TEST(CheckListSort, TextColumnsIgnoreCaseAndFallBackToNames) {
    Rows rows;
    CSnNode* a = rows.Add("beta");
    CSnNode* b = rows.Add("Alpha");
    a->Cfg.Function.ParamServer = "host-B";
    b->Cfg.Function.ParamServer = "HOST-a";
    EXPECT_GT(CompareCheckRows(a, b, 0, true), 0);
    EXPECT_LT(CompareCheckRows(a, b, 0, false), 0);
    EXPECT_GT(CompareCheckRows(a, b, 2, true), 0);
    // Equal texts: decided by the names, also in columns 8, 9, 11, 5 and 1.
    for (const int column : {1, 5, 8, 9, 11})
        EXPECT_GT(CompareCheckRows(a, b, column, true), 0) << column;
    a->Result.Response = "a reply";
    b->Result.Response = "B reply";
    EXPECT_LT(CompareCheckRows(a, b, 9, true), 0);
    a->Cfg.Function.Type = kTypeDns;
    b->Cfg.Function.Type = kTypeHttp;
    EXPECT_LT(CompareCheckRows(a, b, 1, true), 0); // "DNS" before "HTTP/HTTPS"
}

TEST(CheckListSort, NumbersTimesAndDurations) {
    Rows rows;
    CSnNode* a = rows.Add("a", 10005);
    CSnNode* b = rows.Add("b", 10002);
    EXPECT_GT(CompareCheckRows(a, b, 3, true), 0);
    a->Result.LastUpdate = 2000;
    b->Result.LastUpdate = 1000;
    EXPECT_LT(CompareCheckRows(a, b, 7, true), 0); // newest first
    a->Result.Duration = 1;
    b->Result.Duration = 90;
    EXPECT_GT(CompareCheckRows(a, b, 10, true), 0); // longest first
    EXPECT_LT(CompareCheckRows(a, b, 10, false), 0);
    b->Result.Duration = 1;
    EXPECT_LT(CompareCheckRows(a, b, 10, true), 0); // then by name
}

TEST(CheckListSort, ScheduledChecksComeFirstWithoutTieBreak) {
    Rows rows;
    CSnNode* every60 = rows.Add("every 60");
    CSnNode* sched = rows.Add("z scheduled");
    CSnNode* every5 = rows.Add("every 5");
    CSnNode* sched2 = rows.Add("a scheduled");
    CSnNode* also60 = rows.Add("also 60");
    every60->Cfg.ScanFrequency.Interval = 60;
    also60->Cfg.ScanFrequency.Interval = 60;
    every5->Cfg.ScanFrequency.Interval = 5;
    sched->Cfg.ScanFrequency.Mode = 1;
    sched2->Cfg.ScanFrequency.Mode = 1;
    EXPECT_EQ(CompareCheckRows(sched, sched2, 4, true), -1);
    EXPECT_EQ(CompareCheckRows(sched2, sched, 4, true), -1);
    EXPECT_EQ(CompareCheckRows(every5, sched, 4, true), 1);
    // Scheduled rows keep their order among themselves; equal intervals go by name.
    EXPECT_EQ(Sorted(rows.All(), 4, true),
              (std::vector<std::string>{"z scheduled", "a scheduled", "every 5", "also 60", "every 60"}));
    EXPECT_EQ(Sorted(rows.All(), 4, false),
              (std::vector<std::string>{"every 60", "also 60", "every 5", "z scheduled", "a scheduled"}));
}

TEST(CheckListSort, ResultRanksFromFailureToNone) {
    Rows rows;
    const struct {
        const char* name;
        int status;
    } table[] = {{"none", 0},      {"hold", 5},  {"odd", 42},    {"success", 1},  {"uncertain", 8},
                 {"err dep", 6},   {"error", 2}, {"maint", 4},   {"fail dep", 7}, {"failure", 3}};
    for (const auto& t : table)
        rows.Add(t.name)->Result.Status = t.status;
    EXPECT_EQ(Sorted(rows.All(), 6, true),
              (std::vector<std::string>{"failure", "fail dep", "maint", "error", "err dep", "uncertain", "success",
                                        "hold", "none", "odd"}));
}

TEST(CheckListSort, MissingNodesAndUnknownColumnsCompareAsGreater) {
    Rows rows;
    CSnNode* a = rows.Add("a");
    CSnNode* b = rows.Add("b");
    EXPECT_EQ(CompareCheckRows(nullptr, b, 0, true), 1);
    EXPECT_EQ(CompareCheckRows(a, nullptr, 0, true), 1);
    EXPECT_EQ(CompareCheckRows(a, b, 12, true), 1);
    EXPECT_EQ(CompareCheckRows(b, a, -1, true), 1);
}

TEST(CheckListSort, LargeListsSortStablyInBothDirections) {
    Rows rows;
    for (int i = 0; i < 1000; ++i)
        rows.Add(("n" + std::to_string(i % 7)).c_str(), 20000 + i)->Result.Status = 1 + i % 3;
    std::vector<CSnNode*> all = rows.All();
    SortCheckRows(all, 6, true);
    for (std::size_t i = 1; i < all.size(); ++i) {
        ASSERT_LE(CompareCheckRows(all[i - 1], all[i], 6, true), 0) << i;
        // Equal status and name: the original order (by ID here) is kept.
        if (all[i - 1]->Cfg.Name == all[i]->Cfg.Name && all[i - 1]->Result.Status == all[i]->Result.Status) {
            ASSERT_LT(all[i - 1]->Cfg.ID, all[i]->Cfg.ID);
        }
    }
    SortCheckRows(all, 6, false);
    EXPECT_EQ(all.front()->Result.Status, 1);
    EXPECT_EQ(all.back()->Result.Status, 3);
}
