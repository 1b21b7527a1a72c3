#include "model/tree/SnTreeWalk.h"

#include "NodeTreeBuilder.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <utility>
#include <vector>

namespace {

using Visits = std::vector<std::pair<long, int>>; // node ID, depth

// Root 1 { folder 10 { check 100, folder 11 { check 101 } }, check 102 }
struct SampleTree {
    testsupport::NodeTreeBuilder b;
    CSnNode* f10 = b.AddFolder(b.Root(), 10);
    CSnNode* c100 = b.AddCheck(f10, 100);
    CSnNode* f11 = b.AddFolder(f10, 11);
    CSnNode* c101 = b.AddCheck(f11, 101);
    CSnNode* c102 = b.AddCheck(b.Root(), 102);
};

std::pair<Visits, WalkOutcome> Walk(CSnNode* first, const std::function<WalkStep(long)>& step,
                                    WalkScope scope = WalkScope::Subtrees) {
    Visits seen;
    WalkOutcome outcome = WalkTree(
        first,
        [&](CSnNode* n, int depth) {
            seen.emplace_back(n->Id(), depth);
            return step(n->Id());
        },
        scope);
    return {seen, outcome};
}

WalkStep Always(long) {
    return WalkStep::Continue;
}

} // namespace

TEST(SnTreeWalk, OrderSkipStopAndScope) {
    SampleTree t;
    const Visits all{{1, 0}, {10, 1}, {100, 2}, {11, 2}, {101, 3}, {102, 1}};
    struct Case {
        const char* name;
        std::function<WalkStep(long)> step;
        WalkScope scope;
        Visits visits;
        bool stopped;
    } cases[] = {
        {"node, children, then sibling", Always, WalkScope::Subtrees, all, false},
        {"skip leaves a subtree out",
         [](long id) { return id == 11 ? WalkStep::Skip : WalkStep::Continue; },
         WalkScope::Subtrees,
         {{1, 0}, {10, 1}, {100, 2}, {11, 2}, {102, 1}},
         false},
        {"stop ends the walk at once",
         [](long id) { return id == 101 ? WalkStep::Stop : WalkStep::Continue; },
         WalkScope::Subtrees,
         {{1, 0}, {10, 1}, {100, 2}, {11, 2}, {101, 3}},
         true},
    };
    for (const Case& c : cases) {
        const auto [visits, outcome] = Walk(t.b.Root(), c.step, c.scope);
        EXPECT_EQ(visits, c.visits) << c.name;
        EXPECT_EQ(outcome, (WalkOutcome{c.stopped, nullptr, false})) << c.name;
    }
    // The chain alone, without the folders' contents.
    EXPECT_EQ(Walk(t.c100, Always, WalkScope::Chain).first, (Visits{{100, 0}, {11, 0}}));
    EXPECT_EQ(Walk(nullptr, Always).first, Visits{});
    EXPECT_EQ(FindInTree(t.b.Root(), [](const CSnNode* n) { return n->Id() == 101; }), t.c101);
    EXPECT_EQ(FindInTree(t.b.Root(), [](const CSnNode* n) { return n->Id() == 4242; }), nullptr);
}

TEST(SnTreeWalk, LoopsAndTooDeepTreesEndTheWalk) {
    testsupport::TempDir debug;
    testsupport::ScopedEnv debugDir("SENTRELLE_DEBUG_DIR", debug.Path());
    {
        // A sibling chain that leads back to its start: every node once, then the end.
        SampleTree t;
        testsupport::NodeTreeBuilder::LinkNext(t.c102, t.f10);
        const auto [visits, outcome] = Walk(t.b.Root(), Always);
        EXPECT_EQ(visits, (Visits{{1, 0}, {10, 1}, {100, 2}, {11, 2}, {101, 3}, {102, 1}}));
        EXPECT_EQ(outcome, (WalkOutcome{false, t.f10, false}));
    }
    {
        // A child link back to an ancestor.
        SampleTree t;
        t.c101->Cfg.Child.Node = t.f10;
        EXPECT_EQ(Walk(t.b.Root(), Always).second, (WalkOutcome{false, t.f10, false}));
    }
    EXPECT_NE(testsupport::ReadFile(debug.File("assert.txt")).find("QUORVANE ASSERTION FAILURE"),
              std::string::npos);

    // Folders nested one level deeper than a walk goes: the deepest one is left out.
    testsupport::NodeTreeBuilder b;
    CSnNode* parent = b.Root();
    for (int depth = 1; depth <= kMaxWalkDepth + 1; ++depth)
        parent = b.AddFolder(parent, 100 + depth);
    const auto [visits, outcome] = Walk(b.Root(), Always);
    ASSERT_EQ(visits.size(), static_cast<std::size_t>(kMaxWalkDepth) + 1);
    EXPECT_EQ(visits.back(), (std::pair<long, int>{100 + kMaxWalkDepth, kMaxWalkDepth}));
    EXPECT_EQ(outcome, (WalkOutcome{false, nullptr, true}));
}

// Thousands of nodes over many stretches of memory: every walk, a nested one and one
// reusing the thread's earlier set too, meets each node once and stops at the loop.
TEST(SnTreeWalk, LargeTreesWalkedAgainAndNested) {
    testsupport::TempDir debug;
    testsupport::ScopedEnv debugDir("SENTRELLE_DEBUG_DIR", debug.Path());
    testsupport::NodeTreeBuilder b;
    CSnNode* folder = b.AddFolder(b.Root(), 10);
    CSnNode* first = b.AddCheck(folder, 100);
    CSnNode* last = first;
    for (int i = 1; i < 5000; ++i)
        last = b.AddCheck(folder, 100 + i);
    testsupport::NodeTreeBuilder::LinkNext(last, first);
    for (int round = 0; round < 2; ++round) {
        Visits inner;
        WalkOutcome nested;
        const auto [outer, outcome] = Walk(b.Root(), [&](long id) {
            if (id == 10)
                std::tie(inner, nested) = Walk(first, Always);
            return WalkStep::Continue;
        });
        EXPECT_EQ(outer.size(), 5002U);
        EXPECT_EQ(inner.size(), 5000U);
        EXPECT_EQ(std::tie(outcome.Revisited, nested.Revisited), std::tie(first, first));
    }
}
