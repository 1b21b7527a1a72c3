#include "model/tree/SnNode.h"
#include "model/tree/SnTreeText.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

namespace {

struct Placed {
    long Id, Parent, Previous;
    int Depth;
};

// Reads the text and lists the nodes in the order a tree build places them.
long WalkAll(const char* text, std::vector<Placed>& out, long root = 1) {
    out.clear();
    CSnTreeText::Tree tree;
    const long code = CSnTreeText::Read(text, root, tree);
    tree.Visit([&](long id, long parent, long previous, int depth) { out.push_back({id, parent, previous, depth}); });
    return code;
}

std::vector<long> Ids(const std::vector<Placed>& placed) {
    std::vector<long> ids;
    for (const Placed& p : placed)
        ids.push_back(p.Id);
    return ids;
}

std::string Formatted(const CSnTreeText::Tree& tree) {
    CQvcString out;
    EXPECT_EQ(CSnTreeText::Format(tree, out), 0);
    return out.Str();
}

// A tree of nodes kept alive by the test.
class Forest {
public:
    CSnNode* Make(long id, long type = kTypeFolder) {
        m_nodes.push_back(std::make_unique<CSnNode>());
        CSnNode* n = m_nodes.back().get();
        n->Cfg.ID = static_cast<std::int32_t>(id);
        n->Cfg.Function.Type = static_cast<std::int32_t>(type);
        return n;
    }

private:
    std::vector<std::unique_ptr<CSnNode>> m_nodes;
};

} // namespace


TEST(SnTreeText, ParseSortsDropsAndDefaults) {
    auto items = CSnTreeText::Parse("8=0,0;1=5,0;garbage;-3=1,2;0=9;5=0,6,7");
    std::string parsed;
    for (const auto& item : items) {
        parsed += std::to_string(item.Id) + "=";
        for (long id : item.List)
            parsed += std::to_string(id) + ",";
    }
    EXPECT_EQ(parsed, "1=5,0,5=0,6,7,8=0,0,");
    ASSERT_NE(CSnTreeText::Find(items, 8), nullptr);
    EXPECT_EQ(CSnTreeText::Find(items, 6), nullptr);

    // An empty text is the root without children.
    std::vector<Placed> placed;
    EXPECT_EQ(WalkAll("", placed), 0);
    EXPECT_EQ(Ids(placed), (std::vector<long>{1}));
}

TEST(SnTreeText, DocumentedExampleBuildsAndWritesBack) {
    const char* text = "1=5,0;5=0,6,7;6=8,0;8=0,0";
    std::vector<Placed> placed;
    ASSERT_EQ(WalkAll(text, placed), 0);
    // 5 is the first child of 1; 6 and 7 follow it; 8 is the only child of 6.
    std::string shown;
    for (const Placed& p : placed)
        shown += std::to_string(p.Id) + "<" + std::to_string(p.Parent) + "," + std::to_string(p.Previous) + "," +
                 std::to_string(p.Depth) + " ";
    EXPECT_EQ(shown, "1<0,0,0 5<1,0,1 6<1,5,1 8<6,0,2 7<1,6,1 ");

    Forest f;
    CSnNode* n1 = f.Make(1);
    CSnNode* n5 = f.Make(5, 10);
    CSnNode* n6 = f.Make(6);
    CSnNode* n7 = f.Make(7, 10);
    CSnNode* n8 = f.Make(8, 10);
    n1->Cfg.Child.Node = n5;
    n5->Cfg.Next.Node = n6;
    n6->Cfg.Next.Node = n7;
    n6->Cfg.Child.Node = n8;
    CQvcString out;
    ASSERT_EQ(CSnTreeText::Write(n1, out), 0);
    EXPECT_EQ(out, text);

    // A single child lists its siblings as ",0"; a childless root is "1=0,0".
    CSnNode* lone = f.Make(1);
    ASSERT_EQ(CSnTreeText::Write(lone, out), 0);
    EXPECT_EQ(out, "1=0,0");
}

TEST(SnTreeText, ListsWithoutAPlaceInTheFormatAreNotFollowed) {
    std::vector<Placed> placed;
    // A zero ends the sibling list.
    EXPECT_EQ(WalkAll("1=5,0;5=0,6,0,7", placed), 0);
    EXPECT_EQ(Ids(placed), (std::vector<long>{1, 5, 6}));
    // Siblings listed on an item that is not a first child, or on the root, are not followed.
    EXPECT_EQ(WalkAll("1=5,9;5=0,6;6=0,9", placed), 0);
    EXPECT_EQ(Ids(placed), (std::vector<long>{1, 5, 6}));
}

TEST(SnTreeText, DamagedTextsAreRefusedWithEveryFaultAndTheirRepair) {
    using F = CSnTreeText::Fault;
    struct Case {
        const char* Text;
        std::vector<CSnTreeText::Problem> Problems;
        const char* Repaired; // the text of the tree Read keeps
    } cases[] = {
        {"1=1,0", {{F::SelfReference, 1, 1}}, "1=0,0"},
        {"1=5,0;5=0,6,5,7", {{F::SelfReference, 5, 1}}, "1=5,0;5=0,6,7"},
        {"1=5,0;5=0,6,6", {{F::Repeated, 6, 1}}, "1=5,0;5=0,6"},
        // The same node under two folders: the first place keeps it.
        {"1=5,0;5=7,6;6=7,0;7=0,0", {{F::Repeated, 7, 6}}, "1=5,0;5=7,6;7=0,0"},
        {"1=5,0;5=1,0", {{F::Cycle, 1, 5}}, "1=5,0;5=0,0"},
        {"1=5,0;5=6,0;6=5,0", {{F::Cycle, 5, 6}}, "1=5,0;5=6,0;6=0,0"},
        {"1=5,0;5=0,6,1", {{F::Cycle, 1, 1}}, "1=5,0;5=0,6"},
    };
    for (const Case& c : cases) {
        CSnTreeText::Tree tree;
        std::vector<CSnTreeText::Problem> problems;
        EXPECT_EQ(CSnTreeText::Read(c.Text, 1, tree, &problems), CSnTreeText::kInvalidTree) << c.Text;
        EXPECT_EQ(problems, c.Problems) << c.Text;
        EXPECT_EQ(Formatted(tree), c.Repaired) << c.Text;
        // The repaired text reads back without a fault.
        CSnTreeText::Tree again;
        EXPECT_EQ(CSnTreeText::Read(c.Repaired, 1, again), 0) << c.Repaired;
    }
}

TEST(SnTreeText, NestingDeeperThanTheLimitIsRefusedAndNotWritten) {
    // A chain of folders: 20 levels below the root are accepted, 21 are not.
    auto chain = [](int levels) {
        std::string text;
        for (int k = 0; k < levels; ++k)
            (((text += k ? ";" : "") += std::to_string(k + 1)) += '=') += std::to_string(k + 2) + ",0";
        return text;
    };
    std::vector<Placed> placed;
    EXPECT_EQ(WalkAll(chain(CSnTreeText::kMaxDepth).c_str(), placed), 0);
    EXPECT_EQ(placed.back().Depth, CSnTreeText::kMaxDepth);
    CSnTreeText::Tree tree;
    std::vector<CSnTreeText::Problem> problems;
    EXPECT_EQ(CSnTreeText::Read(chain(CSnTreeText::kMaxDepth + 1).c_str(), 1, tree, &problems),
              CSnTreeText::kInvalidTree);
    EXPECT_EQ(problems, (std::vector<CSnTreeText::Problem>{
                            {CSnTreeText::Fault::TooDeep, CSnTreeText::kMaxDepth + 2, CSnTreeText::kMaxDepth + 1}}));
    // The deep node stays in the tree read (its record is no orphan), but is not written.
    EXPECT_TRUE(tree.Contains(CSnTreeText::kMaxDepth + 2));
    CQvcString out;
    EXPECT_EQ(CSnTreeText::Format(tree, out), CSnTreeText::kInvalidTree);
    EXPECT_TRUE(out.IsEmpty());
}

TEST(SnTreeText, TreeEditsKeepOrderAndRefuseImpossibleChanges) {
    CSnTreeText::Tree tree;
    ASSERT_EQ(CSnTreeText::Read("1=5,0;5=0,6,7;6=8,0;8=0,0", 1, tree), 0);
    EXPECT_FALSE(tree.Append(1, 8));    // already in the tree
    EXPECT_FALSE(tree.Append(4711, 9)); // no such parent
    EXPECT_TRUE(tree.Append(6, 9));
    EXPECT_EQ(Formatted(tree), "1=5,0;5=0,6,7;6=8,0;8=0,9");
    EXPECT_FALSE(tree.MoveToEnd(6, 9)); // into its own subtree
    EXPECT_FALSE(tree.MoveToEnd(1, 6)); // the root
    EXPECT_FALSE(tree.MoveToEnd(4711, 6));
    EXPECT_TRUE(tree.MoveToEnd(5, 6));
    EXPECT_EQ(tree.ParentOf(5), 6);
    EXPECT_EQ(Formatted(tree), "1=6,0;6=8,7;8=0,9,5");
    EXPECT_EQ(tree.Below(6), (std::vector<long>{8, 9, 5}));
    EXPECT_EQ(tree.Remove(6), (std::vector<long>{6, 8, 9, 5}));
    EXPECT_TRUE(tree.Remove(1).empty());
    EXPECT_TRUE(tree.Remove(6).empty());
    EXPECT_EQ(tree.Nodes(), (std::vector<long>{1, 7}));
    EXPECT_EQ(Formatted(tree), "1=7,0;7=0,0");
}

TEST(SnTreeText, GarbageTextsTerminate) {
    const char* texts[] = {";;;;", "=", "1=", "1=,,,", "1=a,b,c", "x=1;1=2,2,2,2;2=3,3;3=2",
                           "1=2,3,4,5,6,7,8,9,10;2=1;3=1", "1=999999999999999999999,0", "\x01\x02=\xff"};
    for (const char* text : texts) {
        std::vector<Placed> placed;
        long code = WalkAll(text, placed);
        EXPECT_TRUE(code == 0 || code == CSnTreeText::kInvalidTree) << text;
        EXPECT_LE(placed.size(), 16u) << text;
    }
    // A very long chain stops at a bounded depth.
    std::string text;
    for (int k = 1; k < 100000; ++k)
        text += std::to_string(k) + "=" + std::to_string(k + 1) + ",0;";
    std::vector<Placed> placed;
    EXPECT_EQ(WalkAll(text.c_str(), placed), CSnTreeText::kInvalidTree);
    EXPECT_LT(placed.size(), 100000u);
}

TEST(SnTreeText, WriteRefusesLoopsAndTooDeepTrees) {
    Forest f;
    CSnNode* root = f.Make(1);
    CSnNode* a = f.Make(5);
    root->Cfg.Child.Node = a;
    a->Cfg.Child.Node = root; // loop
    CQvcString out;
    EXPECT_EQ(CSnTreeText::Write(root, out), CSnTreeText::kInvalidTree);

    CSnNode* r2 = f.Make(1);
    CSnNode* s1 = f.Make(5, 10);
    CSnNode* s2 = f.Make(6, 10);
    r2->Cfg.Child.Node = s1;
    s1->Cfg.Next.Node = s2;
    s2->Cfg.Next.Node = s1; // sibling loop
    EXPECT_EQ(CSnTreeText::Write(r2, out), CSnTreeText::kInvalidTree);

    CSnNode* twice = f.Make(1);
    twice->Cfg.Child.Node = f.Make(5);
    twice->ChildNode()->Cfg.Next.Node = f.Make(5); // two objects of one ID
    EXPECT_EQ(CSnTreeText::Write(twice, out), CSnTreeText::kInvalidTree);

    CSnNode* deep = f.Make(1);
    CSnNode* at = deep;
    for (int k = 0; k < CSnTreeText::kMaxDepth + 1; ++k) {
        CSnNode* child = f.Make(100 + k);
        at->Cfg.Child.Node = child;
        at = child;
    }
    EXPECT_EQ(CSnTreeText::Write(deep, out), CSnTreeText::kInvalidTree);
}
