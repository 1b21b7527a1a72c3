// The configuration store on a real Engine root: open and version checks, node records,
// loading and writing the tree, tree operations and the whole-file operations.
#include "CfgTestRoot.h"
#include "NodeTreeBuilder.h"
#include "model/store/SnCfgRestore.h"
#include "model/store/SnCfgSqlite.h"
#include "model/store/SnCfgTemplate.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/settings/SnMetaSettings.h"
#include "model/store/SnRecordProperties.h"
#include "model/tree/SnTreeWalk.h"
#include "platform/Registry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Every configuration field set to something other than its default.
void FillEveryField(CSnNode& n) {
    CSnNodeCfg& c = n.Cfg;
    c.Name = "Web server \"front\"";
    c.Notes = "first line\r\nsecond line\r\n\r\nlast";
    c.OnHold = 1;
    c.Inverse = 1;
    c.GraphEnabled = 1;
    c.ScanFrequency.Mode = 1;
    c.ScanFrequency.Interval = 45;
    c.ScanFrequency.ErrorThreshold = 3;
    c.ScanFrequency.Schedule.SetText("e1|d2");
    CSnNodeCfgFunction& f = c.Function;
    f.Type = 33;
    f.ScriptTimeout = 900;
    f.UseCredentials = 1;
    f.CredentialsServer = "dc01";
    f.ParamOption = 1;
    f.ParamOption2 = 1;
    f.ParamLogin = "web";
    f.ParamLogin2 = "proxy";
    f.ParamPassword = CQvcString::Scramble("s3cr3t; äöü");
    f.ParamPassword2 = CQvcString::Scramble("other");
    f.ParamServer = "www.example.test";
    f.ParamByteCodes = "0x0x000";
    const char* params[] = {"p1", "p2||two", "p3", "p4", "p5", "p6", "p7", "p8 with ; and :="};
    CQvcLazyString* fields[] = {&f.Param1, &f.Param2, &f.Param3, &f.Param4, &f.Param5, &f.Param6, &f.Param7, &f.Param8};
    for (int k = 0; k < 8; ++k)
        *fields[k] = params[k];
    CSnNodeCfgAction& a = c.Action;
    a.Maintenance.Edit().Enabled = 1;
    a.Maintenance.Edit().Schedule.SetText("d20260101");
    a.Dependencies = "12;10000";
    a.Uncertain.AsSuccess = 1;
    a.ReNotify = {};
    a.ReNotify.Repeat = 1;
    a.ReNotify.Minutes = 15;
    a.ReRun.Repeat = 1;
    a.ReRun.Minutes = 30;
    for (int k = 0; k < kNotifyEntries; ++k) {
        CSnNodeCfgActionNotification& entry = a.Notify.Edit(k);
        entry.Enabled = (k % 3 == 0) ? 1 : 0;
        if (!IsTrapEntry(k))
            entry.Recipients = CQvcString("~") + CQvcString(k) + ";user" + CQvcString(k) + "@example.test";
    }
    CSnNodeCfgActionRunProgram& onFailure = a.RunOnFailure.Edit();
    onFailure.RunExecutable = 1;
    onFailure.Executable = "fix.sh --now";
    onFailure.RunScript = 0;
    onFailure.Script = "failure.vbs";
    CSnNodeCfgActionRunProgram& onSuccess = a.RunOnSuccess.Edit();
    onSuccess.RunExecutable = 0;
    onSuccess.Executable = "ok.sh";
    onSuccess.RunScript = 1;
    onSuccess.Script = "ok.vbs";
    CSnNodeCfgActionRestart& restart = a.Restart.Edit();
    restart.Reboot = 1;
    restart.RestartServices = 0;
    restart.UseCredentials = 1;
    restart.Computer = "app01";
    restart.Services = "web;db";
    restart.Credentials = "app01";
}

class SnCfgStoreTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(store.Open(true, true), 0); }

    // A check inserted into the database and appended to `folder`.
    CSnNode* AddCheck(CSnNode* folder, const char* name, long type = 10) {
        CSnNode* n = store.NewNodeObject();
        EXPECT_EQ(store.InsertNode(n, nullptr, 0), 0);
        n->Cfg.Name = name;
        n->Cfg.Function.Type = static_cast<std::int32_t>(type);
        EXPECT_EQ(store.WriteNode(n, false, false), 0);
        CSnCfg::AppendChild(folder, n);
        return n;
    }
    CSnNode* AddFolder(CSnNode* parent, const char* name) {
        CSnNode* f = nullptr;
        EXPECT_EQ(store.NewFolderRecord(f), 0);
        f->Cfg.Name = name;
        EXPECT_EQ(store.WriteNode(f, false, false), 0);
        CSnCfg::AppendChild(parent, f);
        return f;
    }

    CfgTestRoot root;
    CSnCfg store{"GUI"};
};

// A tree edit as "code changed stale".
std::string Edit(const CSnCfg::TreeEdit& e) {
    return std::to_string(e.Code) + (e.Changed ? " changed" : " unchanged") + (e.Stale ? " stale" : "");
}

std::vector<long> ChildIds(const CSnNode* folder) {
    std::vector<long> ids;
    for (const CSnNode* n = folder->ChildNode(); n; n = n->NextNode())
        ids.push_back(n->Id());
    return ids;
}

} // namespace

TEST_F(SnCfgStoreTest, OpenReadsTheInstallation) {
    EXPECT_EQ(store.RootDirectory(), CSnInstallation::RootPath(CQvcString(root.Root())));
    EXPECT_EQ((std::vector<CQvcString>{store.ConfigFilePath(), store.OdbcConnection(), store.TempDirectory()}),
              (std::vector<CQvcString>{root.ConfigFile(), "DRIVER=Microsoft Access Driver (*.mdb);DBQ=" +
                                                              root.ConfigFile(), store.RootDirectory() + "Sys/tmp"}));
    EXPECT_EQ(store.Version(), 730);
    ASSERT_NE(store.Link(), nullptr);
    EXPECT_EQ(store.Link()->ControlFile(), root.ControlFile());
    EXPECT_EQ(store.AdvancedSettings().PowerShellCmd, "powershell.exe");

    // A root without its trailing separator gets one, written back.
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", root.Root().c_str());
    CSnCfg again;
    ASSERT_EQ(again.Open(), 0);
    std::string value;
    platform::RegQueryString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", &value);
    EXPECT_EQ(value, root.Root() + "/");

    // Access probe: readable and writable, the time stamp lands in the meta settings.
    bool readable = false, writable = false;
    store.ProbeAccess(readable, writable);
    EXPECT_TRUE(readable);
    EXPECT_TRUE(writable);
    CSnMetaSettings meta;
    ASSERT_EQ(meta.Read(store), 0);
    EXPECT_GT(meta.TimeStamp, 1700000000);
}

TEST_F(SnCfgStoreTest, OpenRootUsesTheGivenRootAndLeavesTheRegistry) {
    const std::string registered = root.Root() + "/";
    const std::string other = root.Hives().Dir().File("other");
    CQvcString message;
    ASSERT_EQ(CSnInstallation::Initialize(CQvcString(other), message), 0) << message.Str();
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", registered.c_str());

    CSnCfg at;
    ASSERT_EQ(at.OpenRoot(CQvcString(other)), 0);
    ASSERT_NE(at.Link(), nullptr);
    EXPECT_EQ((std::vector<CQvcString>{at.RootDirectory(), at.ConfigFilePath(), at.Link()->ControlFile()}),
              (std::vector<CQvcString>{other + "/", other + "/Configuration/Config.mdb", other + "/Sys/Ctrl/control.dat"}));
    std::string value;
    platform::RegQueryString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", &value);
    EXPECT_EQ(value, registered);

    EXPECT_EQ(at.OpenRoot(CQvcString()), 25200);
    EXPECT_FALSE(at.IsOpen());
    EXPECT_EQ(at.OpenRoot(CQvcString(root.Hives().Dir().File("nothing here"))), 25201);
    EXPECT_FALSE(at.IsOpen());
}

TEST_F(SnCfgStoreTest, OpenChecksTheVersion) {
    auto openWith = [&](const std::string& sql) {
        Sql(root.ConfigFile(), sql);
        CSnCfg s;
        long code = s.Open(true, false);
        EXPECT_EQ(s.IsOpen(), code == 0);
        EXPECT_EQ(s.Link() != nullptr, code == 0);
        return code;
    };
    std::vector<long> codes;
    for (const char* version : {"729", "731", "", "abc", "-730", "730"})
        codes.push_back(openWith("UPDATE MetaSettings SET Version = '" + std::string(version) + "'"));
    codes.push_back(openWith("DELETE FROM MetaSettings"));
    EXPECT_EQ(codes, (std::vector<long>{25207, 25206, 25205, 25205, 25205, 0, 25201}));

    // Without validation the version is not looked at.
    CSnCfg lenient;
    EXPECT_EQ(lenient.Open(false, false), 0);

    // A configuration that another program keeps locked says so.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(root.ConfigFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    CSnCfg locked("GUI", [](const CQvcString& connection) -> std::unique_ptr<ISnCfg> {
        auto component = std::make_unique<CSnCfgSqlite>(connection);
        component->SetBusyTimeout(100);
        return component;
    });
    EXPECT_EQ(locked.Open(), 25007);
    sqlite3_close(other);

    testsupport::WriteFile(root.ConfigFile(), "not a database");
    CSnCfg broken;
    EXPECT_EQ(broken.Open(), 25201);

    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", "  ");
    CSnCfg noRoot;
    EXPECT_EQ(noRoot.Open(), 25200);

    CSnCfg noComponent("GUI", [](const CQvcString&) { return std::unique_ptr<ISnCfg>(); });
    platform::RegSetString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", root.Root().c_str());
    EXPECT_EQ(noComponent.Open(), 25209);
}

TEST_F(SnCfgStoreTest, EveryNodeFieldRoundTrips) {
    CSnNode written;
    ASSERT_EQ(store.InsertNode(&written, nullptr, 0), 0);
    FillEveryField(written);
    ASSERT_EQ(store.WriteNode(&written, true, true), 0);

    CSnNode read;
    read.Cfg.ID = written.Cfg.ID;
    ASSERT_EQ(store.ReadNode(&read), 0);
    // The trap entries' recipients live in memory only.
    CSnNode expected(written);
    expected.Cfg.Action.Notify.Edit(8).Recipients.Empty();
    expected.Cfg.Action.Notify.Edit(9).Recipients.Empty();
    EXPECT_TRUE(read.Cfg.IsEqual(expected.Cfg));

    // Stored forms: notes with "||", flag strings, the uncertain mapping.
    CQvcVariant v;
    ASSERT_EQ(store.Run([&](ISnCfg& c) { c.GetNode(written.Id(), v); }), 0);
    auto rec = v.AsRecord();
    EXPECT_EQ(rec->GetText(snnode::kNotes), "first line||second line||||last");
    EXPECT_EQ(rec->GetText(snnode::kNotifyFlags), "19090919090919090919090");
    EXPECT_EQ(rec->GetText(snnode::kActionFlags), "1001101");
    EXPECT_EQ(rec->GetLong(snnode::kUncertain), 3);

    // "||" typed into the notes comes back as a line break; option values as 0 or 1.
    written.Cfg.Notes = "a||b";
    written.Cfg.Function.ParamOption = 7;
    ASSERT_EQ(store.WriteNode(&written, false, false), 0);
    ASSERT_EQ(store.ReadNode(&read), 0);
    EXPECT_EQ(std::make_pair(read.Cfg.Notes, read.Cfg.Function.ParamOption), std::make_pair(CQvcString("a\r\nb"), 1));

    CSnNode ghost;
    ghost.Cfg.ID = 77777;
    EXPECT_EQ((std::vector<long>{store.ReadNode(nullptr), store.WriteNode(nullptr, true, true), store.ReadNode(&ghost),
                                 store.WriteNode(&ghost, true, true)}),
              (std::vector<long>{-90001, -1, 25021, 25021}));
}

TEST_F(SnCfgStoreTest, ReadingKeepsDefaultActionPartsAbsentAndResetFreesThem) {
    CSnNode written;
    ASSERT_EQ(store.InsertNode(&written, nullptr, 0), 0);
    written.Cfg.Action.Notify.Edit(0).Enabled = 1;
    written.Cfg.Action.Notify.Edit(0).Recipients = "ops@example.test";
    ASSERT_EQ(store.WriteNode(&written, true, true), 0);

    CSnNode read;
    read.Cfg.ID = written.Cfg.ID;
    ASSERT_EQ(store.ReadNode(&read), 0);
    const CSnNodeCfgAction& a = read.Cfg.Action;
    std::string stored;
    for (int k = 0; k < kNotifyEntries; ++k)
        stored += a.Notify.IsStored(k) ? '1' : '0';
    for (bool part : {a.Maintenance.IsStored(), a.RunOnFailure.IsStored(), a.RunOnSuccess.IsStored(),
                      a.Restart.IsStored()})
        stored += part ? '1' : '0';
    EXPECT_EQ(stored, "1" + std::string(kNotifyEntries - 1 + 4, '0'));
    EXPECT_EQ(a.Notify[0].Recipients, "ops@example.test");

    read.Reset();
    EXPECT_FALSE(a.Notify.IsStored(0));
}

TEST_F(SnCfgStoreTest, UncertainPrecedenceAndShortFlagTexts) {
    CSnNode n;
    ASSERT_EQ(store.InsertNode(&n, nullptr, 0), 0);
    struct Case {
        int useGlobal, asError, asSuccess;
        long stored;
    } cases[] = {{1, 1, 1, 0}, {0, 1, 1, 2}, {0, 0, 1, 3}, {0, 0, 0, 1}, {1, 0, 0, 0}};
    for (const Case& k : cases) {
        n.Cfg.Action.Uncertain = {};
        n.Cfg.Action.Uncertain.UseGlobal = k.useGlobal;
        n.Cfg.Action.Uncertain.AsError = k.asError;
        n.Cfg.Action.Uncertain.AsSuccess = k.asSuccess;
        ASSERT_EQ(store.WriteNode(&n, false, false), 0);
        CQvcVariant v;
        store.Run([&](ISnCfg& c) { c.GetNode(n.Id(), v); });
        EXPECT_EQ(v.AsRecord()->GetLong(snnode::kUncertain), k.stored);
        CSnNode back;
        back.Cfg.ID = n.Cfg.ID;
        store.ReadNode(&back);
        // Exactly one mapping survives, the one of highest precedence.
        const CSnNodeCfgUncertain& u = back.Cfg.Action.Uncertain;
        EXPECT_EQ((std::vector<int>{u.UseGlobal, u.AsError, u.AsSuccess}),
                  (std::vector<int>{k.stored == 0, k.stored == 2, k.stored == 3}));
    }

    // Short flag texts written by hand read their missing positions as 0.
    Sql(root.ConfigFile(), "UPDATE Nodes SET NotifyFlags = '1919', ActionFlags = '11', Uncertain = 9 WHERE ID = " +
                               std::to_string(n.Id()));
    CSnNode back;
    back.Cfg.ID = n.Cfg.ID;
    ASSERT_EQ(store.ReadNode(&back), 0);
    const CSnNodeCfgAction& a = back.Cfg.Action;
    std::string flags;
    for (int k = 0; k < kNotifyEntries; ++k)
        flags += std::to_string(a.Notify[k].Enabled);
    for (int f : {a.RunOnFailure->RunExecutable, a.RunOnFailure->RunScript, a.RunOnSuccess->RunExecutable,
                  a.RunOnSuccess->RunScript, a.Restart->Reboot, a.Restart->RestartServices, a.Restart->UseCredentials,
                  a.Uncertain.UseGlobal, a.Uncertain.AsError, a.Uncertain.AsSuccess})
        (flags += '|') += std::to_string(f);
    EXPECT_EQ(flags, std::string(2, '1') + std::string(kNotifyEntries - 2, '0') + "|1|1|0|0|0|0|0|0|0|0");
}

TEST_F(SnCfgStoreTest, LoadBuildsTheStoredTree) {
    CSnNode* rootNode = nullptr;
    ASSERT_EQ(store.CreatePlaceholderRoot(rootNode), 0);
    EXPECT_EQ(rootNode->Cfg.Name, "Sentrelle"); // filled from its record
    CSnNode* const rootObject = rootNode;

    // 5 checks folder, 6 folder holding 8, 7 check; 9 stored but nowhere in the tree.
    CQvcVariant v;
    store.Run([&](ISnCfg& c) {
        for (long id : {5, 6, 7, 8, 9}) {
            c.NewNodeWithId(id, v);
            auto r = v.AsRecord();
            r->SetLong(snnode::kType, id == 6 ? 1 : 10);
            r->SetText(snnode::kName, CQvcString("node ") + CQvcString(id));
            c.SaveNode(v);
        }
    });
    ASSERT_EQ(store.Run([](ISnCfg& c) { c.put_Tree("1=5,0;5=0,6,7;6=8,0;8=0,0"); }), 0);
    ASSERT_EQ(store.LoadAllNodes(rootNode), 0);
    EXPECT_EQ(rootNode, rootObject); // the root object the views hold stays
    EXPECT_EQ(ChildIds(rootNode), (std::vector<long>{5, 6, 7}));
    CSnNode* six = CSnCfg::FindNode(rootNode, 6);
    ASSERT_NE(six, nullptr);
    EXPECT_EQ(ChildIds(six), (std::vector<long>{8}));
    EXPECT_EQ(six->Cfg.Name, "node 6");
    EXPECT_EQ(CSnCfg::FindNode(rootNode, 9), nullptr);

    // Writing it back gives the same text and stamps NS and NM.
    root.ForgetStamps();
    ASSERT_EQ(store.WriteTree(rootNode), 0);
    CQvcString text;
    store.Run([&](ISnCfg& c) { c.get_Tree(text); });
    EXPECT_EQ(text, "1=5,0;5=0,6,7;6=8,0;8=0,0");
    EXPECT_FALSE(root.Stamp("NS").empty() || root.Stamp("NM").empty());
    EXPECT_EQ(store.WriteTree(nullptr), -90001);

    // A tree ID without a stored node shows as such; an empty text is the bare root.
    store.Run([](ISnCfg& c) { c.put_Tree("1=5,0;5=0,4444"); });
    ASSERT_EQ(store.LoadAllNodes(rootNode), 0);
    CSnNode* missing = CSnCfg::FindNode(rootNode, 4444);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(std::to_string(missing->Cfg.Function.Type) + " " + missing->Cfg.Name.Str(),
              "0 <Check [4444] does not exist in the configuration database>");
    store.Run([](ISnCfg& c) { c.put_Tree(""); });
    ASSERT_EQ(store.LoadAllNodes(rootNode), 0);
    EXPECT_TRUE(rootNode->ChildNode() == nullptr && rootNode->Id() == 1);

    // Freeing keeps only the root object.
    store.Run([](ISnCfg& c) { c.put_Tree("1=5,0;5=0,6,7;6=8,0"); });
    ASSERT_EQ(store.ReloadAllNodes(rootNode), 0);
    EXPECT_EQ(CSnCfg::CountChecks(rootNode), 3);
    store.FreeTree(rootNode);
    EXPECT_TRUE(rootNode == rootObject && rootNode->ChildNode() == nullptr);
    EXPECT_EQ(store.NodeObjectCount(), 1u);
}

TEST_F(SnCfgStoreTest, CyclicTreeFailsTheLoadCleanly) {
    CSnNode* rootNode = nullptr;
    ASSERT_EQ(store.CreatePlaceholderRoot(rootNode), 0);
    CQvcVariant v;
    store.Run([&](ISnCfg& c) {
        c.NewNodeWithId(5, v);
        c.put_Tree("1=5,0;5=1,0");
    });
    EXPECT_EQ(store.LoadAllNodes(rootNode), 25050);
    ASSERT_NE(rootNode, nullptr);
    EXPECT_EQ(rootNode->Cfg.Name, "Load failed. Restart the application");
    EXPECT_TRUE(rootNode->Id() == 0 && rootNode->IsFolder() && rootNode->ChildNode() == nullptr);

    // A working tree text loads again into the same holder.
    store.Run([](ISnCfg& c) { c.put_Tree("1=5,0"); });
    ASSERT_EQ(store.LoadAllNodes(rootNode), 0);
    EXPECT_TRUE(rootNode->Id() == 1 && ChildIds(rootNode) == std::vector<long>{5});
}

TEST_F(SnCfgStoreTest, SummaryModeAndDependants) {
    CSnNode* rootNode = nullptr;
    store.CreatePlaceholderRoot(rootNode);
    CSnNode* f12 = nullptr;
    CSnNode* f23 = nullptr;
    ASSERT_EQ(store.NewFolderRecord(f12), 0);
    ASSERT_EQ(store.NewFolderRecord(f23), 0);
    CSnCfg::AppendChild(rootNode, f12);
    CSnCfg::AppendChild(rootNode, f23);
    const std::string a = std::to_string(f12->Id()), b = std::to_string(f23->Id());
    CSnNode* check = AddCheck(f12, "dependent");
    FillEveryField(*check);
    check->Cfg.Function.Type = 10;
    // Whole tokens only; "1<a>" must not mark folder a; the search stops at an empty token.
    check->Cfg.Action.Dependencies = CQvcString(("1" + a + ";" + a + "9;;" + b).c_str());
    ASSERT_EQ(store.WriteNode(check, true, true), 0);
    ASSERT_EQ(store.WriteTree(rootNode), 0);

    CSnCfg summary;
    ASSERT_EQ(summary.Open(true, false), 0);
    CSnNode* sroot = nullptr;
    summary.CreatePlaceholderRoot(sroot);
    ASSERT_EQ(summary.LoadAllNodes(sroot), 0);
    CSnNode* loaded = CSnCfg::FindNode(sroot, check->Id());
    ASSERT_NE(loaded, nullptr);
    // Summary properties are there, the rest keeps its defaults.
    const auto dependants = [&] {
        return std::to_string(CSnCfg::FindNode(sroot, f12->Id())->Manager.HasDependants) +
               std::to_string(CSnCfg::FindNode(sroot, f23->Id())->Manager.HasDependants);
    };
    const CSnNodeCfg& l = loaded->Cfg;
    EXPECT_EQ(l.Name.Str() + "|" + l.Function.Param2.Str() + "|" + std::to_string(l.OnHold) + "|" +
                  l.ScanFrequency.Schedule.Text().Str() + "|" + l.Notes.Str() + "|" + l.Function.Param3.Str() + "|" +
                  std::to_string(l.Action.Notify[0].Enabled) + "|" + dependants(),
              check->Cfg.Name.Str() + "|p2||two|1|e1|d2|||0|00");
    // Reading the node in full fills the rest.
    ASSERT_EQ(summary.ReadNode(loaded), 0);
    EXPECT_EQ(loaded->Cfg.Notes, check->Cfg.Notes);

    check->Cfg.Action.Dependencies = CQvcString(("1" + a + ";" + b).c_str());
    ASSERT_EQ(store.WriteNode(check, true, true), 0);
    // A reload keeps nothing of the nodes it replaces.
    WalkTree(sroot->ChildNode(), [](CSnNode* n, int) {
        n->Result.Status = 99;
        return WalkStep::Continue;
    });
    ASSERT_EQ(summary.LoadAllNodes(sroot), 0);
    const bool stale = FindInTree(sroot, [](const CSnNode* n) { return n->Result.Status == 99; }) != nullptr;
    EXPECT_EQ(dependants() + (stale ? " stale" : ""), "01");

    // A full load reads everything.
    CSnNode* froot = nullptr;
    store.CreatePlaceholderRoot(froot);
    ASSERT_EQ(store.LoadAllNodes(froot), 0);
    EXPECT_EQ(CSnCfg::FindNode(froot, check->Id())->Cfg.Notes, check->Cfg.Notes);
}

TEST_F(SnCfgStoreTest, WalksMovesAndRemovals) {
    CSnNode* r = nullptr;
    store.CreatePlaceholderRoot(r);
    CSnNode* fa = AddFolder(r, "A");
    CSnNode* fb = AddFolder(r, "B");
    CSnNode* c1 = AddCheck(fa, "c1");
    CSnNode* fa1 = AddFolder(fa, "A1");
    CSnNode* c2 = AddCheck(fa1, "c2");
    c2->Cfg.ScanFrequency.Mode = 1;
    CSnNode* c3 = AddCheck(fa, "c3");
    CSnNode* c4 = AddCheck(fb, "c4");

    EXPECT_EQ((std::vector<CSnNode*>{CSnCfg::FindNodeByName(r, "C3"), CSnCfg::FindLinkHolder(r, c3->Id()),
                                     CSnCfg::FindLinkHolder(r, c1->Id()), CSnCfg::FindParentFolder(r, c2->Id())}),
              (std::vector<CSnNode*>{c3, fa1, fa, fa1}));
    EXPECT_EQ(CSnCfg::FolderPath(r, c2->Id()), (std::vector<long>{1, fa->Id(), fa1->Id(), c2->Id()}));
    EXPECT_EQ(CSnCfg::FolderPath(r, 999999), (std::vector<long>{999999}));
    auto ids = [](const std::vector<CSnNode*>& v) {
        std::vector<long> out;
        for (auto* n : v)
            out.push_back(n->Id());
        return out;
    };
    EXPECT_EQ(ids(CSnCfg::CollectChecks(r, true)), (std::vector<long>{c1->Id(), c2->Id(), c3->Id(), c4->Id()}));
    EXPECT_EQ(ids(CSnCfg::CollectChecks(fa, false)), (std::vector<long>{c1->Id(), c3->Id()}));
    EXPECT_EQ(ids(CSnCfg::CollectFolders(r, true)), (std::vector<long>{fa->Id(), fa1->Id(), fb->Id()}));
    EXPECT_EQ((std::vector<long>{CSnCfg::CountChecks(fa), CSnCfg::CountFolders(r), CSnCfg::CountChecks(c1),
                                 CSnCfg::HasScheduledCheck(fa), CSnCfg::HasScheduledCheck(fb),
                                 CSnCfg::IsDescendant(fa, c2), CSnCfg::IsDescendant(fb, c2)}),
              (std::vector<long>{3, 3, 0, 1, 0, 1, 0}));

    // Moves in memory (the stored tree's side is the structural test's).
    EXPECT_FALSE(store.MoveCheck(r, fa, c1, false)); // already there
    EXPECT_TRUE(store.MoveCheck(r, fa, c1, true));   // to the end of the chain
    EXPECT_TRUE(store.MoveCheck(r, fb, c3, false));
    EXPECT_TRUE(store.MoveFolder(r, fb, fa1));
    EXPECT_EQ(ChildIds(fa), (std::vector<long>{c1->Id()}));
    EXPECT_EQ(ChildIds(fb), (std::vector<long>{c4->Id(), c3->Id(), fa1->Id()}));
    EXPECT_EQ(ChildIds(fa1), (std::vector<long>{c2->Id()})); // the subtree moved along
    ASSERT_EQ(store.WriteTree(r), 0);

    // Delete folder B with descendants: its checks first, then its folders, then B, in
    // that order from the database too.
    std::vector<long> order{c4->Id(), c3->Id(), c2->Id(), fa1->Id(), fb->Id()};
    ASSERT_EQ(store.RemoveFromTree(r, fb->Id(), true, true), 0);
    EXPECT_EQ(ChildIds(r), (std::vector<long>{fa->Id()}));
    for (long id : order) {
        CSnNode probe;
        probe.Cfg.ID = static_cast<std::int32_t>(id);
        EXPECT_EQ(store.ReadNode(&probe), 25021) << id;
    }
    // Without descendants only the node goes, from memory only.
    ASSERT_EQ(store.RemoveFromTree(r, c1->Id(), false, false), 0);
    EXPECT_TRUE(ChildIds(fa).empty());
    EXPECT_EQ(store.ReadNode(c1), 0);
    EXPECT_EQ(store.RemoveFromTree(r, 4711, true, true), 0);
}

TEST_F(SnCfgStoreTest, StructuralChangesApplyOnTopOfAnotherWritersChanges) {
    CSnNode* r = nullptr;
    store.CreatePlaceholderRoot(r);
    CSnNode* fa = AddFolder(r, "A");
    CSnNode* fb = AddFolder(r, "B");
    CSnNode* c1 = AddCheck(fa, "c1");
    ASSERT_EQ(store.WriteTree(r), 0);
    auto storedText = [&] {
        CQvcString text;
        EXPECT_EQ(store.Run([&](ISnCfg& c) { c.get_Tree(text); }), 0);
        return text.Str();
    };
    auto id = [](const CSnNode* n) { return std::to_string(n->Id()); };

    // Another Manager loads and adds a check to B.
    CSnCfg other("Other");
    ASSERT_EQ(other.Open(true, true), 0);
    CSnNode* r2 = nullptr;
    other.CreatePlaceholderRoot(r2);
    ASSERT_EQ(other.LoadAllNodes(r2), 0);
    CSnNode* c2 = other.NewNodeObject();
    ASSERT_EQ(other.InsertNode(c2, nullptr, 0), 0);
    root.ForgetStamps();
    EXPECT_EQ(Edit(other.AppendToTree(r2, CSnCfg::FindNode(r2, fb->Id()), {c2})), "0 changed");
    EXPECT_FALSE(root.Stamp("NS").empty());

    // This store's tree is stale now: its move keeps the other check and says to reload.
    EXPECT_EQ(Edit(store.MoveChecks(r, fb, {c1}, false)), "0 changed stale");
    EXPECT_EQ(storedText(), "1=" + id(fa) + ",0;" + id(fa) + "=0," + id(fb) + ";" + id(fb) + "=" + id(c2) + ",0;" +
                                id(c2) + "=0," + id(c1));

    // Reloaded, its folder move is current; B moves below A with its checks.
    const long aId = fa->Id(), bId = fb->Id();
    ASSERT_EQ(store.ReloadAllNodes(r), 0);
    fa = CSnCfg::FindNode(r, aId);
    fb = CSnCfg::FindNode(r, bId);
    ASSERT_TRUE(fa && fb);
    EXPECT_EQ(Edit(store.MoveFolderTo(r, fa, fb)), "0 changed");
    EXPECT_EQ(Edit(store.MoveFolderTo(r, fb, fa)), "0 unchanged"); // into its own subtree: nothing happens
    EXPECT_EQ(ChildIds(fa), (std::vector<long>{fb->Id()}));

    // The other store removes A with everything below, records too; a move into B that
    // this store still shows fails with "Tree item not found" and changes nothing.
    ASSERT_EQ(other.ReloadAllNodes(r2), 0);
    EXPECT_EQ(Edit(other.DeleteFromTree(r2, fa->Id(), true)), "0 changed");
    long count = -1;
    ASSERT_EQ(store.CountNodes("ID >= 10000", count), 0);
    EXPECT_EQ(count, 0);
    CSnNode* c3 = AddCheck(r, "c3");
    root.ForgetStamps();
    EXPECT_EQ(Edit(store.MoveChecks(r, fb, {c3}, false)) + ", " + Edit(store.AppendToTree(r, fb, {c3})),
              "25052 unchanged, 25052 unchanged");
    EXPECT_EQ(storedText(), "1=0,0");
    EXPECT_TRUE(root.Stamp("NS").empty());

    // A damaged stored tree is refused before any change.
    store.Run([](ISnCfg& c) { c.put_Tree("1=5,0;5=0,5"); });
    EXPECT_EQ(store.EditTree([](CSnTreeText::Tree&) { return 0L; }), 25050);
    EXPECT_EQ(storedText(), "1=5,0;5=0,5");
}

TEST_F(SnCfgStoreTest, HealthCheckFindsAndRepairsWhatNeedsNoGuess) {
    CQvcVariant v;
    store.Run([&](ISnCfg& c) {
        for (long id : {10000, 10001, 10002, 10003})
            c.NewNodeWithId(id, v);
        // 10000 listed again after itself, 4444 has no record, 10002 and 10003 are in no tree.
        c.put_Tree("1=10000,0;10000=0,10001,10000,4444");
    });
    CSnCfg::Health found;
    ASSERT_EQ(store.CheckHealth(false, found), 0);
    EXPECT_EQ(found.Problems, (std::vector<CSnTreeText::Problem>{{CSnTreeText::Fault::SelfReference, 10000, 1}}));
    EXPECT_EQ(std::make_pair(found.Dangling, found.Orphans),
              std::make_pair(std::vector<long>{4444}, std::vector<long>{10002, 10003}));
    EXPECT_FALSE(found.Healthy());

    CSnCfg::Health repaired;
    ASSERT_EQ(store.CheckHealth(true, repaired), 0);
    EXPECT_EQ(repaired.Orphans, found.Orphans);
    CSnCfg::Health after;
    ASSERT_EQ(store.CheckHealth(false, after), 0);
    EXPECT_TRUE(after.Healthy());
    CQvcString text;
    store.Run([&](ISnCfg& c) { c.get_Tree(text); });
    EXPECT_EQ(text, "1=10000,0;10000=0,10001");
    long count = -1;
    ASSERT_EQ(store.CountNodes("ID >= 10000", count), 0);
    EXPECT_EQ(count, 2);

    // Too deep a tree needs a decision: nothing is repaired.
    std::string deep;
    for (long k = 0; k <= CSnTreeText::kMaxDepth; ++k)
        (((deep += k ? ";" : "") += std::to_string(k ? 20000 + k : 1)) += '=') += std::to_string(20001 + k) + ",0";
    store.Run([&](ISnCfg& c) {
        c.put_Tree(CQvcString(deep));
        c.NewNodeWithId(20000 + CSnTreeText::kMaxDepth + 1, v);
    });
    EXPECT_EQ(store.CheckHealth(true, repaired), 25050);
    store.Run([&](ISnCfg& c) { c.get_Tree(text); });
    EXPECT_EQ(text.Str(), deep);
    ASSERT_EQ(store.CountNodes("ID >= 10000", count), 0);
    EXPECT_EQ(count, 3);
}

TEST_F(SnCfgStoreTest, InsertCopiesFromASourceAndClearsItsResult) {
    CSnNode source;
    ASSERT_EQ(store.InsertNode(&source, nullptr, 0), 0);
    FillEveryField(source);
    CSnNode sibling;
    source.Cfg.Next.Node = &sibling;
    ASSERT_EQ(store.WriteNode(&source, false, false), 0);

    platform::ProfileWriteText(root.ResultFile().c_str(), "Results", "15000", "1||600||0||x||1||y||z");
    CSnNode copy;
    ASSERT_EQ(store.InsertNode(&copy, &source, 15000), 0);
    EXPECT_EQ(copy.Id(), 15000);
    EXPECT_EQ(copy.Cfg.Name, source.Cfg.Name);
    EXPECT_TRUE(copy.NextNode() == nullptr && copy.Cfg.Action.Dependencies.IsEmpty());
    EXPECT_EQ(platform::ProfileReadText(root.ResultFile().c_str(), "Results", "15000", "gone"), "gone");
    EXPECT_FALSE(root.Stamp("Results").empty());
    // The record is still the fresh one until the node is written.
    CSnNode stored;
    stored.Cfg.ID = 15000;
    ASSERT_EQ(store.ReadNode(&stored), 0);
    EXPECT_TRUE(stored.Cfg.Name.IsEmpty());
    ASSERT_EQ(store.WriteNode(&copy, true, true), 0);
    ASSERT_EQ(store.ReadNode(&stored), 0);
    EXPECT_EQ(stored.Cfg.Name, source.Cfg.Name);
    EXPECT_EQ(store.InsertNode(&copy, nullptr, 15000), 25026);

    long count = 0;
    ASSERT_EQ(store.CountNodes("ID >= 10000 AND Type <> 1", count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(store.CountNodes("Name = 1", count), 25020);
}

TEST_F(SnCfgStoreTest, DefaultScanFrequencyFromTheTemplateCheck) {
    auto defaults = [&](long type) {
        long interval = 0, threshold = 0;
        store.DefaultScanFrequency(type, interval, threshold);
        return std::make_pair(interval, threshold);
    };
    EXPECT_EQ(defaults(10), std::make_pair(60L, 1L));
    EXPECT_EQ(defaults(20), std::make_pair(600L, 1L));
    // The stored text is the default one (how the text reads is the list's own test).
    CDefScanFreqList list;
    ASSERT_EQ(store.ReadDefaultScanFrequencies(list), 0);
    EXPECT_EQ(list.ToText(), CSnCfgTemplate::DefaultScanFrequencyText());

    Sql(root.ConfigFile(), "UPDATE Nodes SET ScanSchedule = '10:=15,4' WHERE ID = 2");
    EXPECT_EQ(defaults(10), std::make_pair(15L, 4L));

    Sql(root.ConfigFile(), "DELETE FROM Nodes WHERE ID = 2");
    EXPECT_EQ(defaults(10), std::make_pair(30L, 1L));
    EXPECT_EQ(store.ReadDefaultScanFrequencies(list), 25021);
    EXPECT_EQ(list.Find(10)->Interval, 30); // a failed read leaves the defaults, not the last text
}

TEST_F(SnCfgStoreTest, ClearExportAndImportReplaceTheFileAndStamp) {
    CSnNode* r = nullptr;
    store.CreatePlaceholderRoot(r);
    const long checkId = AddCheck(r, "before")->Id(); // the node object goes with the tree
    ASSERT_EQ(store.WriteTree(r), 0);
    CSnSmtpSettings smtp;
    smtp.Server1 = "incoming.test";
    ASSERT_EQ(smtp.Write(store), 0);

    testsupport::TempDir dir;
    const std::string exported = dir.File("saved.mdb"), backup = dir.File("backup.mdb");
    ASSERT_EQ(store.ExportConfiguration(CQvcString(exported)), 0);
    EXPECT_EQ(store.ExportConfiguration(CQvcString(dir.File("no/such/dir/x.mdb"))), 25502);

    // Clear: the template replaces the configuration.
    root.ForgetStamps();
    ASSERT_EQ(store.ClearConfiguration(), 0);
    for (const char* stamp : {"NS", "NM", "GlobalSettings"})
        EXPECT_FALSE(root.Stamp(stamp).empty()) << stamp;
    store.FreeTree(r);
    ASSERT_EQ(store.ReloadAllNodes(r), 0);
    EXPECT_EQ(r->ChildNode(), nullptr);
    long count = -1;
    store.CountNodes("ID >= 10000", count);
    EXPECT_EQ(count, 0);
    smtp.Server1 = "kept.test";
    ASSERT_EQ(smtp.Write(store), 0);
    ASSERT_EQ(store.ExportConfiguration(CQvcString(backup)), 0);

    // Import of the exported file brings the check and the tree back; the program settings
    // of a copy taken before can be put back over it, the checks staying.
    root.ForgetStamps();
    ASSERT_EQ(store.ImportCurrentConfiguration(CQvcString(exported)), 0);
    EXPECT_FALSE(root.Stamp("NS").empty() || root.Stamp("GlobalSettings").empty());
    root.ForgetStamps();
    ASSERT_EQ(RestoreProgramSettings(store, CQvcString(backup)), 0);
    EXPECT_FALSE(root.Stamp("GlobalSettings").empty());
    ASSERT_EQ(store.ReloadAllNodes(r), 0);
    ASSERT_NE(CSnCfg::FindNode(r, checkId), nullptr);
    EXPECT_EQ(CSnCfg::FindNode(r, checkId)->Cfg.Name, "before");

    // Files that cannot be imported leave the configuration alone.
    testsupport::WriteFile(dir.File("junk.mdb"), "junk");
    // Older formats need converter modules there are none of.
    EXPECT_EQ((std::vector<long>{store.ImportCurrentConfiguration(CQvcString(dir.File("junk.mdb"))),
                                 store.ImportCurrentConfiguration(CQvcString(dir.File("absent.mdb"))),
                                 store.ImportConfiguration(CQvcString(exported), 6),
                                 store.ImportConfiguration(CQvcString(exported), 5),
                                 RestoreProgramSettings(store, CQvcString(dir.File("junk.mdb")))}),
              (std::vector<long>{25522, 25522, 25508, 25508, 25004}));
    ASSERT_EQ(store.ReloadAllNodes(r), 0);
    EXPECT_NE(CSnCfg::FindNode(r, checkId), nullptr);
    CSnSmtpSettings read;
    ASSERT_EQ(read.Read(store), 0);
    EXPECT_EQ(read.Server1, "kept.test");

    // The shadow copy, and a directory in its place that cannot be removed.
    CQvcString connection;
    ASSERT_EQ(store.MakeShadowCopy(connection), 0);
    EXPECT_EQ(connection,
              CQvcString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + store.ShadowFilePath());
    EXPECT_TRUE(platform::FileExists(store.ShadowFilePath().Str()));
    platform::DeleteFile(store.ShadowFilePath().Str());
    ASSERT_TRUE(platform::CreateDirectories(store.ShadowFilePath().Str() + "/inner"));
    EXPECT_EQ(store.MakeShadowCopy(connection), 25503);

    // Missing files.
    ASSERT_TRUE(platform::DeleteFile(root.TemplateFile()));
    EXPECT_EQ(store.MakeShadowCopy(connection), 25210);
    EXPECT_EQ(store.ClearConfiguration(), 25210);
    ASSERT_TRUE(platform::DeleteFile(root.ConfigFile()));
    EXPECT_EQ((std::vector<long>{store.ExportConfiguration(CQvcString(exported)), store.ClearConfiguration(),
                                 store.ImportCurrentConfiguration(CQvcString(exported))}),
              (std::vector<long>{25501, 25506, 25506}));
}

TEST_F(SnCfgStoreTest, ImportCopiesEveryTableButTheMetaSettingsOfTheImportedFile) {
    testsupport::TempDir dir;
    const std::string saved = dir.File("saved.mdb");
    ASSERT_EQ(store.ExportConfiguration(CQvcString(saved)), 0);
    // The saved file: every settings table emptied, and an older version in its meta
    // settings, which must not come along (the installation's own stays).
    std::string emptied;
    for (std::string name :
         testsupport::Lines(Query(saved, "SELECT name FROM sqlite_master WHERE type = 'table' AND "
                                         "name NOT IN ('Nodes', 'Tree', 'MetaSettings', 'NodeIds')"))) {
        name.pop_back();
        Sql(saved, "DELETE FROM \"" + name + "\"");
        emptied += "SELECT '" + name + "' FROM \"" + name + "\" UNION ALL ";
    }
    ASSERT_FALSE(emptied.empty());
    Sql(saved, "UPDATE MetaSettings SET Version = '729'");
    ASSERT_EQ(store.ImportCurrentConfiguration(CQvcString(saved)), 0);
    EXPECT_EQ(Query(root.ConfigFile(), emptied + "SELECT NULL WHERE 0"), "");
    EXPECT_EQ(Query(root.ConfigFile(), "SELECT Version FROM MetaSettings"), "730|\n");
}
