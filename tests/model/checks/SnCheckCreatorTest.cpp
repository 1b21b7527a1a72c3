// The creation of checks for several hosts on a real installation: the loop, what it
// stores, and that a failure leaves neither records nor links behind.
#include "CfgTestRoot.h"
#include "FaultyComponent.h"
#include "library/ErrorTexts.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/SnCheckCreator.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> ChildNames(const CSnNode* folder) {
    std::vector<std::string> names;
    for (const CSnNode* n = folder->ChildNode(); n != nullptr; n = n->NextNode())
        names.push_back(n->Cfg.Name.Str());
    return names;
}

void SetMachineLimit(const char* name, std::uint32_t value) {
    const std::string key = std::string(kProductKey) + "\\Manager";
    platform::RegEnsureKey(platform::Hive::LocalMachine, key.c_str());
    platform::RegSetDword(platform::Hive::LocalMachine, key.c_str(), name, value);
}

class SnCheckCreatorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(store.Open(), 0);
        ASSERT_EQ(store.LoadAllNodes(root), 0);
        ASSERT_EQ(store.NewFolderRecord(folder), 0);
        folder->Cfg.Name = "Web";
        ASSERT_EQ(store.WriteNode(folder, true, true), 0);
        CSnCfg::AppendChild(root, folder);
        ASSERT_EQ(store.WriteTree(root), 0);
        cfg.ForgetStamps();
    }

    // T as the Manager makes it before the sheet opens, then given a type and a name.
    CSnNode* NewIcmpCheck(const char* name) {
        CSnNode* check = nullptr;
        EXPECT_EQ(creator.NewCheck(check), 0);
        if (check == nullptr)
            return nullptr;
        creator.SetType(*check, kTypeIcmpPing);
        check->Cfg.Name = name;
        return check;
    }

    long CheckRecords() {
        long count = -1;
        EXPECT_EQ(store.CountNodes("ID >= 10000 AND Type <> 1", count), 0);
        return count;
    }

    static CServerList Hosts(const char* text) {
        CServerList hosts;
        hosts.Parse(text);
        return hosts;
    }

    CfgTestRoot cfg;
    ComponentFaults faults;
    CSnCfg store{"GUI", FaultyComponent::Factory(faults)};
    CSnCheckCreator creator{store};
    CSnNode* root = nullptr;
    CSnNode* folder = nullptr;
};

} // namespace

TEST_F(SnCheckCreatorTest, NewCheckIsACopyOfTheTemplateWithTheTypeDefaults) {
    CSnNode* check = nullptr;
    ASSERT_EQ(creator.NewCheck(check), 0);
    ASSERT_NE(check, nullptr);
    EXPECT_GE(check->Id(), CSnCheckCreator::kFirstCheckId);
    // The template's settings come along; its list of default frequencies does not.
    EXPECT_EQ(check->Cfg.Action.Uncertain.UseGlobal, 1);
    EXPECT_TRUE(check->Cfg.ScanFrequency.Schedule.Text().IsEmpty() && check->Cfg.Name.IsEmpty());
    // Only the ID is reserved: no record yet, and the next one gets another ID.
    EXPECT_EQ(CheckRecords(), 0);
    CSnNode* second = nullptr;
    ASSERT_EQ(creator.NewCheck(second), 0);
    EXPECT_GT(second->Id(), check->Id());

    check->Cfg.Function.ParamServer = "db01";
    check->Cfg.Function.Param5 = "left over";
    // A fresh record of the type's defaults keeping the host; the frequency from the
    // template's list, the mode from the type.
    auto shown = [&] {
        const CSnNodeCfg& c = check->Cfg;
        return c.Function.ParamServer.Str() + "|" + std::to_string(c.Function.Type) + "|" + c.Function.Param1.Str() +
               "|" + c.Function.Param2.Str() + "|" + c.Function.Param5.Str() + "|" +
               std::to_string(c.ScanFrequency.Interval) + "," + std::to_string(c.ScanFrequency.ErrorThreshold) +
               "|" + std::to_string(c.ScanFrequency.Mode);
    };
    creator.SetType(*check, kTypeIcmpPing);
    EXPECT_EQ(shown(), "db01|10|1000|1||60,1|0");
    creator.SetType(*check, kTypeSnmpTrapReceive);
    EXPECT_EQ(shown(), "db01|42||*|0|30,1|2");
    creator.SetType(*check, kTypeDiskSpace);
    EXPECT_EQ(shown(), "db01|20|85|C:||600,1|0");
}

TEST_F(SnCheckCreatorTest, ThreeHostsGiveThreeChecksLinkedAndStored) {
    // A check already in the folder: the new ones go after it.
    CSnNode* existing = store.NewNodeObject();
    ASSERT_EQ(store.InsertNode(existing, nullptr, 0), 0);
    existing->Cfg.Name = "existing";
    existing->Cfg.Function.Type = kTypeDns;
    ASSERT_EQ(store.WriteNode(existing, false, false), 0);
    CSnCfg::AppendChild(folder, existing);
    ASSERT_EQ(store.WriteTree(root), 0);
    cfg.ForgetStamps();

    CSnNode* check = NewIcmpCheck("<HOSTS> - ICMP Ping");
    ASSERT_NE(check, nullptr);
    check->Cfg.Action.Dependencies = std::to_string(existing->Id());
    const std::size_t objects = store.NodeObjectCount();
    CSnCheckCreator::Result r = creator.Create(root, folder, check, Hosts("SERVER1,server2; 10.0.0.1"));
    ASSERT_TRUE(r.Ok()) << r.Message.Str();
    EXPECT_FALSE(r.ReloadTree);
    ASSERT_EQ(r.Created.size(), 3u);
    EXPECT_EQ(r.Created[0], check);
    EXPECT_EQ(store.NodeObjectCount(), objects + 2);
    EXPECT_EQ(ChildNames(folder), (std::vector<std::string>{"existing", "Server1 - ICMP Ping",
                                                            "Server2 - ICMP Ping", "10.0.0.1 - ICMP Ping"}));
    // The tree was written, which tells the engine and the other Managers.
    EXPECT_FALSE(cfg.Stamp("NS").empty() || cfg.Stamp("NM").empty());
    EXPECT_EQ(CheckRecords(), 4);

    // What another process loads.
    CSnCfg reader;
    ASSERT_EQ(reader.Open(true, true), 0);
    CSnNode* tree = nullptr;
    ASSERT_EQ(reader.LoadAllNodes(tree), 0);
    CSnNode* web = CSnCfg::FindNode(tree, folder->Id());
    ASSERT_NE(web, nullptr);
    EXPECT_EQ(ChildNames(web), ChildNames(folder));
    // Each is T with its own host; T keeps its dependencies, the copies start without any.
    const char* hosts[] = {"SERVER1", "server2", "10.0.0.1"};
    for (std::size_t k = 0; k < 3; ++k) {
        const CSnNode* n = CSnCfg::FindNode(tree, r.Created[k]->Id());
        ASSERT_NE(n, nullptr);
        CSnNodeCfg expected = check->Cfg;
        expected.ID = n->Cfg.ID;
        expected.Name = n->Cfg.Name;
        expected.Function.ParamServer = hosts[k];
        if (k > 0)
            expected.Action.Dependencies.Empty();
        EXPECT_TRUE(n->Cfg.IsEqual(expected)) << k;
    }
}

TEST_F(SnCheckCreatorTest, AFailedSaveLeavesNoRecordsAndNoLinks) {
    const std::int32_t folderId = folder->Id();
    CQvcString before;
    ASSERT_EQ(store.Run([&](ISnCfg& c) { c.get_Tree(before); }), 0);
    // Save calls of three hosts: T and each copy inserted (1, 3, 5) and written (2, 4, 6).
    for (int failAt = 1; failAt <= 6; ++failAt) {
        SCOPED_TRACE(failAt);
        CSnNode* check = NewIcmpCheck("<HOSTS> - ICMP Ping");
        ASSERT_NE(check, nullptr);
        const std::size_t objects = store.NodeObjectCount();
        faults.FailSaveNodeAfter(failAt);
        CSnCheckCreator::Result r = creator.Create(root, folder, check, Hosts("a,b,c"));
        faults.FailSaveNodeAt = 0;
        EXPECT_EQ(r.Code, 25022);
        EXPECT_EQ(r.Message, ErrorText(25022));
        EXPECT_TRUE(r.ReloadTree && r.Created.empty());
        // Neither T nor any copy stays stored, linked or allocated.
        EXPECT_EQ(CheckRecords(), 0);
        EXPECT_TRUE(folder->ChildNode() == nullptr && check->NextNode() == nullptr);
        EXPECT_EQ(store.NodeObjectCount(), objects);
        EXPECT_TRUE(cfg.Stamp("NS").empty());
        CQvcString after;
        ASSERT_EQ(store.Run([&](ISnCfg& c) { c.get_Tree(after); }), 0);
        EXPECT_EQ(after, before);
        // The caller reloads as told and finds the folder as it was.
        ASSERT_EQ(store.ReloadAllNodes(root), 0);
        folder = CSnCfg::FindNode(root, folderId);
        ASSERT_NE(folder, nullptr);
        EXPECT_EQ(folder->ChildNode(), nullptr);
        store.FreeNode(check);
    }

    // The tree cannot be written: the saved checks go again.
    CSnNode* check = NewIcmpCheck("<HOSTS>");
    ASSERT_NE(check, nullptr);
    faults.FailTree = true;
    CSnCheckCreator::Result r = creator.Create(root, folder, check, Hosts("a,b"));
    faults.FailTree = false;
    EXPECT_EQ(r.Code, 25062);
    EXPECT_TRUE(r.ReloadTree);
    EXPECT_EQ(CheckRecords(), 0);
    EXPECT_EQ(folder->ChildNode(), nullptr);
}

TEST_F(SnCheckCreatorTest, RefusalsBeforeTheLoopStoreNothing) {
    struct Case {
        const char* what;
        std::function<CSnCheckCreator::Result(CSnNode*)> create;
        long code;
        std::string message;
    };
    SetMachineLimit("MaxCreateChecks", 2);
    SetMachineLimit("MaxTotalChecks", 4096);
    const Case refusals[] = {
        {"no folder", [&](CSnNode* c) { return creator.Create(root, nullptr, c, Hosts("a")); }, 51486,
         "Unable to create server entry. Reason: No parent folder selected."},
        {"empty host list", [&](CSnNode* c) { return creator.Create(root, folder, c, Hosts(" ,a")); }, 61555,
         "Internal error."},
        {"too many at once", [&](CSnNode* c) { return creator.Create(root, folder, c, Hosts("a,b,c")); }, 61692,
         "You cannot create more than 2 checks at a time."},
    };
    for (const Case& c : refusals) {
        SCOPED_TRACE(c.what);
        CSnNode* check = NewIcmpCheck("<HOSTS>");
        ASSERT_NE(check, nullptr);
        CSnCheckCreator::Result r = c.create(check);
        EXPECT_EQ(std::make_pair(r.Code, r.Message.Str()), std::make_pair(c.code, c.message));
        EXPECT_FALSE(r.ReloadTree);
        EXPECT_EQ(CheckRecords(), 0);
        store.FreeNode(check);
    }
    // A check in place of the folder is no folder either.
    CSnNode* first = NewIcmpCheck("first");
    ASSERT_TRUE(creator.Create(root, folder, first, Hosts("a")).Ok());
    CSnNode* check = NewIcmpCheck("second");
    EXPECT_EQ(creator.Create(root, first, check, Hosts("b")).Code, 51486);
    EXPECT_EQ(CheckRecords(), 1);

    // The total counts the checks of the whole tree: 1 + 2 fits a limit of 3, 1 + 3 not.
    SetMachineLimit("MaxCreateChecks", 100);
    SetMachineLimit("MaxTotalChecks", 3);
    CQvcString message;
    EXPECT_EQ(std::make_pair(creator.CheckLimits(root, 2, message), message), std::make_pair(0L, CQvcString()));
    check = NewIcmpCheck("<HOSTS>");
    ASSERT_NE(check, nullptr);
    CSnCheckCreator::Result r = creator.Create(root, folder, check, Hosts("x,y,z"));
    EXPECT_EQ(std::to_string(r.Code) + " " + r.Message.Str(),
              "61693 Operation failed. The maximum number of checks in a configuration is limited to 3.");
    EXPECT_EQ(CheckRecords(), 1);

    // A node below the check range is never deleted, whatever the caller passes.
    CSnNode templ;
    templ.Cfg.ID = CSnCfg::kTemplateId;
    ASSERT_EQ(store.ReadNode(&templ), 0);
    EXPECT_EQ(creator.Create(root, nullptr, &templ, Hosts("a")).Code, 51486);
    EXPECT_EQ(store.ReadNode(&templ), 0);
    EXPECT_EQ(creator.Create(root, folder, nullptr, Hosts("a")).Code, 61555);
}

TEST_F(SnCheckCreatorTest, CancellingThroughTheProgressStoresNothing) {
    CQvcString before;
    ASSERT_EQ(store.Run([&](ISnCfg& c) { c.get_Tree(before); }), 0);
    CSnNode* check = NewIcmpCheck("<HOSTS>");
    ASSERT_NE(check, nullptr);
    const std::size_t objects = store.NodeObjectCount();
    std::vector<std::pair<int, int>> calls;
    CSnCheckCreator::Result r = creator.Create(root, folder, check, Hosts("a,b,c"), [&](int done, int total) {
        calls.emplace_back(done, total);
        return done < 2;
    });
    EXPECT_EQ(calls, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
    EXPECT_EQ(std::make_pair(r.Code, r.Message.Str()), std::make_pair(CSnCheckCreator::kCancelled, std::string()));
    EXPECT_TRUE(!r.ReloadTree && r.Created.empty());
    EXPECT_EQ(CheckRecords(), 0);
    EXPECT_EQ(folder->ChildNode(), nullptr);
    EXPECT_EQ(store.NodeObjectCount(), objects);
    CQvcString after;
    ASSERT_EQ(store.Run([&](ISnCfg& c) { c.get_Tree(after); }), 0);
    EXPECT_EQ(after, before);
    // A progress that goes on to the end creates them all.
    store.FreeNode(check);
    check = NewIcmpCheck("<HOSTS>");
    ASSERT_NE(check, nullptr);
    r = creator.Create(root, folder, check, Hosts("a,b,c"), [](int, int) { return true; });
    EXPECT_TRUE(r.Ok());
    EXPECT_EQ(CheckRecords(), 3);
}
