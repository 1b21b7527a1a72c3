// The check list's order, tested without a window.
#include "manager/mainframe/CheckListSort.h"
#include "model/checks/CheckTypes.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

#include <functional>
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

TEST(CheckListSort, EachColumnComparesItsValueThenTheName) {
    // Rows "beta" (ID 10005) and "Alpha" (ID 10002), both ICMP; `set` gives them the values
    // of the column; `sign` is the sign of comparing beta with Alpha.
    using Set = std::function<void(CSnNode& beta, CSnNode& alpha)>;
    const Set same = [](CSnNode&, CSnNode&) {};
    const struct { int column; bool ascending; Set set; int sign; } cases[] = {
        {0, true, same, 1}, {0, false, same, -1}, {3, true, same, 1},
        {2, true, [](auto& x, auto& y) { (x.Cfg.Function.ParamServer = "host-B", y.Cfg.Function.ParamServer = "HOST-a"); }, 1},
        // Equal texts: decided by the names.
        {1, true, same, 1}, {5, true, same, 1}, {8, true, same, 1}, {9, true, same, 1}, {11, true, same, 1},
        {9, true, [](auto& x, auto& y) { (x.Result.Response = "a reply", y.Result.Response = "B reply"); }, -1},
        {1, true, [](auto& x, auto& y) { (x.Cfg.Function.Type = kTypeDns, y.Cfg.Function.Type = kTypeHttp); }, -1},
        {7, true, [](auto& x, auto& y) { (x.Result.LastUpdate = 2000, y.Result.LastUpdate = 1000); }, -1}, // newest first
        {10, true, [](auto& x, auto& y) { (x.Result.Duration = 1, y.Result.Duration = 90); }, 1}, // longest first
        {10, false, [](auto& x, auto& y) { (x.Result.Duration = 1, y.Result.Duration = 90); }, -1},
        {10, true, [](auto& x, auto& y) { (x.Result.Duration = 1, y.Result.Duration = 1); }, 1}, // then by name
    };
    for (const auto& c : cases) {
        Rows rows;
        CSnNode* beta = rows.Add("beta", 10005);
        CSnNode* alpha = rows.Add("Alpha", 10002);
        c.set(*beta, *alpha);
        const int compared = CompareCheckRows(beta, alpha, c.column, c.ascending);
        EXPECT_EQ((compared > 0) - (compared < 0), c.sign) << c.column << (c.ascending ? " up" : " down");
    }
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
        rows.Add((std::string(1, 'n') += std::to_string(i % 7)).c_str(), 20000 + i)->Result.Status = 1 + i % 3;
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
