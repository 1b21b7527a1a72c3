#include "model/tree/SnDependencyCalculator.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include "NodeTreeBuilder.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

using Ids = std::vector<std::int32_t>;

// A hand-built tree whose nodes are found again by ID, even when a test breaks its links.
class Tree : public testsupport::NodeTreeBuilder {
public:
    CSnNode* Folder(std::int32_t id, CSnNode* parent) { return m_byId[id] = AddFolder(parent, id); }
    CSnNode* Check(std::int32_t id, CSnNode* parent, const char* dependencies = "") {
        CSnNode* node = m_byId[id] = AddCheck(parent, id);
        node->Cfg.Action.Dependencies = dependencies;
        return node;
    }
    CSnNode* operator[](std::int32_t id) const { return id == 1 ? Root() : m_byId.at(id); }
    Ids Dependents(std::int32_t id) const { return (*this)[id]->Srvc.Dependents.Values(); }

private:
    std::map<std::int32_t, CSnNode*> m_byId;
};

// The calculator looks nodes up through the store's find-by-ID; a hand-built tree needs
// no open store for that.
void Calculate(Tree& tree) {
    CSnCfg store;
    CSnDependencyCalculator calculator("CSnDependencyCalculator");
    calculator.Calculate(store, tree.Root());
}

} // namespace

TEST(SnDependencyCalculator, BrokenChainIsReportedAndRunGoesOn) {
    testsupport::TempDir debug;
    testsupport::ScopedEnv debugDir("SENTRELLE_DEBUG_DIR", debug.Path());

    Tree t;
    CSnNode* f = t.Folder(5, t.Root());
    CSnNode* a = t.Check(10001, f, "10002");
    CSnNode* b = t.Check(10002, f);
    b->Srvc.Dependents.Add(4242); // left over from an earlier run
    // A cycle in the sibling chain.
    b->Cfg.Next.Node = a;

    Calculate(t);
    // The passes got as far as the fault: the old entry was cleared, 10001 was added.
    EXPECT_EQ(t.Dependents(10002), (Ids{10001}));
    const std::string log = testsupport::ReadFile(debug.File("Quorvane.log"));
    // Both passes met the broken chain, each reported it with its own line, and the run
    // returned.
    EXPECT_NE(log.find("(Error); file [SnDependencyCalculator:"), std::string::npos) << log;
    EXPECT_NE(log.find("reached twice"), std::string::npos);
    std::size_t first = log.find("SnDependencyCalculator:");
    std::size_t second = log.find("SnDependencyCalculator:", first + 1);
    ASSERT_NE(second, std::string::npos);
    EXPECT_NE(log.substr(first, log.find(']', first) - first),
              log.substr(second, log.find(']', second) - second));

    // An unknown ID in the broken tree is looked for and not found: the search does not
    // go round the loop for ever.
    t[10001]->Cfg.Action.Dependencies = "10002;77777";
    Calculate(t);
    EXPECT_EQ(t.Dependents(10002), (Ids{10001}));

    // A null root does nothing.
    CSnCfg store;
    CSnDependencyCalculator calculator("CDependencyCalculator");
    calculator.Calculate(store, nullptr);
}

TEST(SnDependencyCalculator, DependencyIdsStopAtTheFirstEmptyField) {
    EXPECT_EQ(CSnDependencyCalculator::DependencyIds("12;10000"), (Ids{12, 10000}));
    EXPECT_EQ(CSnDependencyCalculator::DependencyIds(" 7 ; 8 ;"), (Ids{7, 8}));
    EXPECT_EQ(CSnDependencyCalculator::DependencyIds("3;;4"), (Ids{3}));
    EXPECT_EQ(CSnDependencyCalculator::DependencyIds(";5"), Ids{});
    EXPECT_EQ(CSnDependencyCalculator::DependencyIds(""), Ids{});
    // A field that is not a number names ID 0, which no node has.
    EXPECT_EQ(CSnDependencyCalculator::DependencyIds("x;9"), (Ids{0, 9}));
    // Anything but plain digits is read as atol reads it: a sign, the digits before junk.
    EXPECT_EQ(CSnDependencyCalculator::DependencyIds("-3; 12abc ;+4"), (Ids{-3, 12, 4}));
}
namespace {

// Every node after its children, siblings in order, as the calculator visits them.
void VisitChildrenFirst(CSnNode* first, const std::function<void(CSnNode&)>& visit) {
    for (CSnNode* node = first; node != nullptr; node = node->NextNode()) {
        VisitChildrenFirst(node->ChildNode(), visit);
        visit(*node);
    }
}

std::vector<Ids> AllDependents(CSnNode* root) {
    std::vector<Ids> lists;
    VisitChildrenFirst(root, [&](CSnNode& node) { lists.push_back(node.Srvc.Dependents.Values()); });
    return lists;
}

// The direct calculation, quadratic but plainly right: each named node found by a search
// of the whole tree, each addition refused when the list holds the ID already.
std::vector<Ids> OracleDependents(CSnNode* root) {
    VisitChildrenFirst(root, [](CSnNode& node) { node.Srvc.Dependents.RemoveAll(); });
    VisitChildrenFirst(root, [root](CSnNode& dependent) {
        const std::int32_t id = dependent.Id();
        for (std::int32_t named : CSnDependencyCalculator::DependencyIds(dependent.Cfg.Action.Dependencies)) {
            if (CSnNode* dependee = CSnCfg::FindNode(root, named)) {
                dependee->Srvc.Dependents.Add(id);
                if (dependee->IsFolder())
                    VisitChildrenFirst(dependee->ChildNode(),
                                       [id](CSnNode& below) { below.Srvc.Dependents.Add(id); });
            }
        }
    });
    return AllDependents(root);
}

} // namespace

TEST(SnDependencyCalculator, LargeRandomConfigurationMatchesTheDirectCalculation) {
    Tree t;
    std::mt19937 random(20261207);
    std::vector<CSnNode*> folders{t.Root()};
    std::vector<std::int32_t> ids{1};
    for (std::int32_t id = 10000; id < 13000; ++id) {
        CSnNode* parent = folders[random() % folders.size()];
        // Now and then a second node of an ID already used, as a damaged store may hold.
        ids.push_back(random() % 50 == 0 ? ids[random() % ids.size()] : id);
        if (random() % 8 == 0 && folders.emplace_back(t.AddFolder(parent, ids.back())))
            continue;
        // A few common dependees (a router), any node, unknown IDs, repeats and oneself.
        std::string text;
        for (int n = static_cast<int>(random() % 5); n > 0; --n) {
            const std::int32_t named[] = {
                10000, 10001, ids[random() % ids.size()], ids[random() % ids.size()], 99999, ids.back()};
            text += std::to_string(named[random() % 6]) + ";";
        }
        t.AddCheck(parent, ids.back())->Cfg.Action.Dependencies = text.c_str();
    }
    Calculate(t);
    const std::vector<Ids> calculated = AllDependents(t.Root());
    EXPECT_EQ(calculated, OracleDependents(t.Root()));
}
