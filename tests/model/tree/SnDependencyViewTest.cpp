#include "model/tree/SnDependencyView.h"
#include "model/store/SnCfg.h"
#include "model/tree/SnNode.h"

#include "NodeTreeBuilder.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Root > Servers(5) > {Web 10001, Db 10002, Inner(6) > Disk 10003}; at the root Mail
// 10004 (on the folder Servers), A 10005 and B 10006 (on each other), Lonely 10007.
class DependencyTree : public testsupport::NodeTreeBuilder {
public:
    DependencyTree() {
        CSnNode* servers = Named(AddFolder(Root(), 5), "Servers");
        Named(AddCheck(servers, 10001), "Web", "10002; 10002;99999");
        Named(AddCheck(servers, 10002), "Db");
        Named(AddCheck(Named(AddFolder(servers, 6), "Inner"), 10003), "Disk");
        Named(AddCheck(Root(), 10004), "Mail", "5");
        Named(AddCheck(Root(), 10005), "A", "10006");
        Named(AddCheck(Root(), 10006), "B", "10005");
        Named(AddCheck(Root(), 10007), "Lonely");
    }
    static CSnNode* Named(CSnNode* node, const char* name, const char* dependencies = "") {
        node->Cfg.Name = name;
        node->Cfg.Action.Dependencies = dependencies;
        return node;
    }
};

// "Name@Path" per entry, a folder's name ending in "/".
std::string Show(const SnDependencyEntries& entries) {
    std::string out;
    for (const SnDependencyEntry& e : entries)
        out += (out.empty() ? "" : ", ") + e.Name.Str() + (e.Folder ? "/" : "") + "@" + e.Path.Str();
    return out;
}

} // namespace

TEST(SnDependencyView, ListsBothDirectionsOfEveryNode) {
    DependencyTree tree;
    CSnCfg store;
    const CSnDependencyView view(store, tree.Root());
    struct Row {
        std::int32_t id;
        const char* dependsOn;
        const char* dependedOnBy;
    };
    const Row rows[] = {
        // A repeated ID is listed once, an unknown one not at all.
        {10001, "Db@Root\\Servers", "Mail@Root"},
        {10002, "", "Web@Root\\Servers, Mail@Root"},
        // A folder dependency reaches the folder and everything below it.
        {10004, "Servers/@Root", ""},
        {5, "", "Mail@Root"},
        {10003, "", "Mail@Root"},
        // A cycle is shown as it is, one step in each direction.
        {10005, "B@Root", "B@Root"},
        {10007, "", ""},
        {99999, "", ""},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Show(view.DependsOn(row.id)), row.dependsOn) << row.id;
        EXPECT_EQ(Show(view.DependedOnBy(row.id)), row.dependedOnBy) << row.id;
    }
    EXPECT_EQ(Show(view.Involved()), "Servers/@Root, Web@Root\\Servers, Db@Root\\Servers, Inner/@Root\\Servers, "
                                     "Disk@Root\\Servers\\Inner, Mail@Root, A@Root, B@Root");
    EXPECT_EQ(CSnDependencyView::Text({10002, 5, 77}), "10002;5;77");
}

TEST(SnDependencyView, AnEditedCopyCountsWithoutChangingTheTree) {
    DependencyTree tree;
    CSnCfg store;
    CSnNode* lonely = CSnCfg::FindNode(tree.Root(), 10007);
    CSnNode edited(*lonely);
    edited.Cfg.Action.Dependencies = "10001;10005";
    const CSnDependencyView view(store, tree.Root(), &edited);
    EXPECT_EQ(Show(view.DependsOn(10007)), "Web@Root\\Servers, A@Root");
    EXPECT_EQ(Show(view.DependedOnBy(10005)), "B@Root, Lonely@Root");
    EXPECT_EQ(lonely->Cfg.Action.Dependencies, "");
    EXPECT_EQ(CSnCfg::FindNode(tree.Root(), 10005)->Srvc.Dependents.Values(), (std::vector<std::int32_t>{10006}));

    // A check being created is not in the tree yet.
    const CSnDependencyView withNew(store, tree.Root(), DependencyTree::Named(tree.Detached(20000), "New", "6"));
    EXPECT_EQ(Show(withNew.DependsOn(20000)), "Inner/@Root\\Servers");
    EXPECT_EQ(Show(withNew.Resolve("20000;10003")), "New@, Disk@Root\\Servers\\Inner");
}
