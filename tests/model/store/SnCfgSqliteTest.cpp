// The SQLite configuration component on its own: connections, failure codes, nodes,
// enumeration, settings tables and the whole-file helpers.
#include "CfgTestRoot.h"
#include "model/store/SnCfgSqlite.h"
#include "model/store/SnRecordProperties.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

namespace {

CQvcString Jet(const std::string& path) { return CQvcString("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=") + path; }

long Err(ISnCfg& c) {
    long code = -1;
    c.GetLastError(code);
    return code;
}

class SnCfgSqliteTest : public ::testing::Test {
protected:
    std::unique_ptr<CSnCfgSqlite> Component() { return std::make_unique<CSnCfgSqlite>(Jet(root.ConfigFile())); }
    CfgTestRoot root;
};

} // namespace

TEST_F(SnCfgSqliteTest, ConnectionTextsNameTheDatabase) {
    EXPECT_EQ(CSnCfgSqlite::PathFromConnection("Provider=X;Data Source=/a/b c/Config.mdb"), "/a/b c/Config.mdb");
    EXPECT_EQ(CSnCfgSqlite::PathFromConnection("DRIVER=Microsoft Access Driver (*.mdb);DBQ=/x/Config.mdb"),
              "/x/Config.mdb");
    EXPECT_EQ(CSnCfgSqlite::PathFromConnection("data source= /q.mdb ;Mode=1"), "/q.mdb");
    EXPECT_EQ(CSnCfgSqlite::PathFromConnection("Provider=X"), "");

    CSnCfgSqlite c(CQvcString("Provider=X"));
    EXPECT_EQ((c.Open(), Err(c)), 25003);
    c.put_ConnectionString(CQvcString("DRIVER=x;DBQ=") + root.ConfigFile().c_str());
    EXPECT_EQ((c.Open(), Err(c)), 0);
    EXPECT_EQ((c.Open(), Err(c)), 25006);
    c.Close();
    CQvcString text;
    EXPECT_EQ((c.get_Tree(text), Err(c)), 25005);
}

TEST_F(SnCfgSqliteTest, FilesThatAreNotOurDatabaseAreRefusedAtOpen) {
    testsupport::TempDir dir;
    auto openCode = [&](const std::string& path) {
        CSnCfgSqlite c(Jet(path));
        c.Open();
        return Err(c);
    };
    testsupport::WriteFile(dir.File("text.mdb"), "this is no database at all, just some text\n");
    testsupport::WriteFile(dir.File("empty.mdb"), "");
    Sql(dir.File("other.mdb"), "CREATE TABLE t(x)");
    for (const std::string& path :
         {dir.File("missing.mdb"), dir.File("text.mdb"), dir.File("empty.mdb"), dir.File("other.mdb"), dir.Path()})
        EXPECT_EQ(openCode(path), 25004) << path;

    // Our database of another schema version.
    std::string copy = dir.File("future.mdb");
    ASSERT_TRUE(platform::CopyFile(root.ConfigFile(), copy, true));
    Sql(copy, "PRAGMA user_version = 3");
    EXPECT_EQ(openCode(copy), 25004);
    // A file of the first schema opens and is brought to the current one.
    Sql(copy, "DROP TABLE \"NodeIds\"; PRAGMA user_version = 1");
    EXPECT_EQ(openCode(copy), 0);
    CSnCfgSqlite upgraded(Jet(copy));
    upgraded.Open();
    long reserved = 0;
    EXPECT_EQ((upgraded.ReserveNodeId(reserved), Err(upgraded)), 0);
    EXPECT_EQ(reserved, 10000);

    // A database that is garbage past its header: the open works, the queries fail.
    std::string torn = dir.File("torn.mdb");
    std::string bytes = testsupport::ReadFile(root.ConfigFile());
    for (std::size_t i = 100; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0xA5);
    testsupport::WriteFile(torn, bytes);
    CSnCfgSqlite c(Jet(torn));
    c.Open();
    if (Err(c) == 0) {
        CQvcVariant v;
        EXPECT_NE((c.GetMetaSettings(v), Err(c)), 0);
    }
}

TEST_F(SnCfgSqliteTest, NodeRecordsIdsAndLimits) {
    auto c = Component();
    ASSERT_EQ((c->Open(), Err(*c)), 0);

    CQvcVariant v;
    ASSERT_EQ((c->NewNode(v), Err(*c)), 0);
    auto rec = v.AsRecord();
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->GetLong(kPropId), 10000); // first node above the reserved range
    EXPECT_TRUE(rec->Kind() == snkind::kNode && rec->GetText(snnode::kName).IsEmpty() && rec->Has(snnode::kParam8));

    ASSERT_EQ((c->NewNodeWithId(20000, v), Err(*c)), 0);
    c->NewNode(v);
    EXPECT_EQ(v.AsRecord()->GetLong(kPropId), 20001);
    EXPECT_EQ((c->NewNodeWithId(20000, v), Err(*c)), 25026);
    EXPECT_EQ((c->NewNodeWithId(0, v), Err(*c)), 25024);

    // Save: the properties the record holds, by ID; a missing node is "record not found".
    rec->SetText(snnode::kName, "Ping it");
    rec->SetBool(snnode::kOnHold, true);
    rec->SetLong(snnode::kType, 10);
    ASSERT_EQ((c->SaveNode(CQvcVariant::FromRecord(rec)), Err(*c)), 0);
    ASSERT_EQ((c->GetNode(10000, v), Err(*c)), 0);
    EXPECT_EQ(v.AsRecord()->GetText(snnode::kName), "Ping it");
    EXPECT_TRUE(v.AsRecord()->Get(snnode::kOnHold).GetType() == CQvcVariant::Type::Bool &&
                v.AsRecord()->GetLong(snnode::kOnHold) == -1);
    EXPECT_EQ((c->GetNode(4242, v), Err(*c)), 25021);
    rec->SetLong(kPropId, 4242);
    EXPECT_EQ((c->SaveNode(CQvcVariant::FromRecord(rec)), Err(*c)), 25021);

    // Values that are not node records.
    EXPECT_EQ((c->SaveNode(CQvcVariant()), Err(*c)), 25001);
    EXPECT_EQ((c->SaveNode(CQvcVariant::FromLong(5)), Err(*c)), 25001);
    const auto meta = CQvcVariant::FromRecord(std::make_shared<CSnRecord>(snkind::kMetaSettings));
    EXPECT_EQ((c->SaveNode(meta), Err(*c)), 25001);

    long count = -1;
    // The count, or minus the code of a refused query.
    auto counted = [&](const char* where) {
        count = -1;
        c->CountNodes(where, count);
        return Err(*c) == 0 ? count : -Err(*c);
    };
    EXPECT_EQ((std::vector<long>{counted("ID >= 10000 AND Type <> 1"), counted("Type = 10"), counted("Name = 'x'")}),
              (std::vector<long>{3, 1, -25020}));

    EXPECT_EQ((c->DeleteNode(20001), Err(*c)), 0);
    EXPECT_EQ(counted(""), 4); // root, template, 10000, 20000

    // An ID handed out is never handed out again: not after its node was deleted, and not
    // after a reservation that stored nothing.
    long reserved = 0;
    ASSERT_EQ((c->ReserveNodeId(reserved), Err(*c)), 0);
    EXPECT_EQ(std::make_pair(reserved, counted("")), std::make_pair(20002L, 4L));

    // The node limit.
    c->SetMaxNodes(5);
    EXPECT_EQ((c->NewNode(v), Err(*c)), 0);
    EXPECT_EQ(v.AsRecord()->GetLong(kPropId), 20003);
    EXPECT_EQ((c->NewNode(v), Err(*c)), 25220);
    EXPECT_EQ((c->NewNodeWithId(30000, v), Err(*c)), 25220);
    c->Close();
}

TEST_F(SnCfgSqliteTest, EnumerationFullAndSummary) {
    auto c = Component();
    c->Open();
    CQvcVariant v;
    // Each row's own texts, whatever the row before held: longer, shorter, empty, not ASCII.
    std::string longNote;
    for (int k = 0; k < 60; ++k)
        longNote += "Grüße ";
    const std::string notes[] = {longNote, "folder", "note"};
    const std::string param3[] = {"p3", "p3", ""};
    for (int k = 0; k < 3; ++k) {
        c->NewNode(v);
        auto r = v.AsRecord();
        r->SetText(snnode::kNotes, notes[k]);
        r->SetText(snnode::kParam3, param3[k]);
        r->SetLong(snnode::kType, k == 1 ? 1 : 10);
        c->SaveNode(v);
    }
    std::vector<long> ids;
    c->GetFirstNode("ID >= 10000", 1, v);
    while (Err(*c) == 0) {
        auto r = v.AsRecord();
        ids.push_back(r->GetLong(kPropId));
        EXPECT_TRUE(!r->Has(snnode::kNotes) && !r->Has(snnode::kParam3) && r->Has(snnode::kParam2) &&
                    r->Has(snnode::kDependencies));
        c->GetNextNode(v);
    }
    EXPECT_EQ(Err(*c), 25021);
    EXPECT_EQ(ids, (std::vector<long>{10000, 10001, 10002}));

    ASSERT_EQ((c->GetFirstNode("Type <> 1 AND ID > 2", 0, v), Err(*c)), 0);
    std::vector<std::string> texts;
    for (; Err(*c) == 0; c->GetNextNode(v))
        texts.push_back(std::to_string(v.AsRecord()->GetLong(kPropId)) + " " +
                        v.AsRecord()->GetText(snnode::kNotes).Str() + "|" + v.AsRecord()->GetText(snnode::kParam3).Str());
    EXPECT_EQ(texts, (std::vector<std::string>{"10000 " + longNote + "|p3", "10002 note|"}));

    long id = 0;
    std::vector<long> idOnly;
    c->GetFirstNodeId("type=1", id);
    while (Err(*c) == 0) {
        idOnly.push_back(id);
        c->GetNextNodeId(id);
    }
    EXPECT_EQ(idOnly, (std::vector<long>{1, 10001}));

    EXPECT_EQ((c->GetFirstNode("ID > 1; DELETE FROM Nodes", 0, v), Err(*c)), 25020);
    EXPECT_EQ((c->GetFirstNodeId("Type > 99999", id), Err(*c)), 25021);
    c->Close();
    // The cursor does not outlive the connection.
    c->Open();
    EXPECT_EQ((c->GetNextNode(v), Err(*c)), 25021);
}

TEST_F(SnCfgSqliteTest, SettingsTablesAndTheirCodes) {
    auto c = Component();
    c->Open();
    CQvcString text;
    c->get_AdvancedSettings(7, text);
    EXPECT_EQ(text, "PowerShellCmd:=powershell.exe");
    EXPECT_EQ((c->get_AdvancedSettings(8, text), Err(*c)), 25195);
    EXPECT_EQ((c->put_AdvancedSettings(0, "x"), Err(*c)), 25196);

    CQvcVariant v;
    EXPECT_EQ((c->GetSmtpSettings(-1, v), Err(*c)), 0);
    EXPECT_EQ((c->GetSmtpSettings(0, v), Err(*c)), 0);
    EXPECT_EQ(v.AsRecord()->GetLong(snsmtp::kPort1), 25);
    EXPECT_EQ((c->GetSmtpSettings(1, v), Err(*c)), 25101);
    const auto sms = CQvcVariant::FromRecord(std::make_shared<CSnRecord>(snkind::kSmsSettings));
    EXPECT_EQ((c->PutSmtpSettings(sms), Err(*c)), 25001);

    EXPECT_EQ((c->GetXmlView(0, v), Err(*c)), 25166);
    EXPECT_EQ((c->GetXmlView(128, v), Err(*c)), 25166);
    auto view = std::make_shared<CSnRecord>(snkind::kXmlView);
    view->SetText(snxmlview::kName, "Status");
    EXPECT_EQ((c->PutXmlView(127, CQvcVariant::FromRecord(view)), Err(*c)), 0);
    c->GetXmlView(127, v);
    EXPECT_EQ(v.AsRecord()->GetText(snxmlview::kName), "Status");
    EXPECT_EQ(v.AsRecord()->GetLong(kPropId), 127);

    // Distribution groups: by channel, new IDs above the built-in range, guarded deletes.
    auto group = std::make_shared<CSnRecord>(snkind::kDistributionGroup);
    group->SetLong(sngroup::kNotificationTypeId, 3);
    group->SetText(sngroup::kName, "Night shift");
    ASSERT_EQ((c->SaveDistributionGroup(CQvcVariant::FromRecord(group)), Err(*c)), 0);
    EXPECT_EQ(group->GetLong(kPropId), 10);
    std::vector<CQvcString> names;
    c->GetFirstDistributionGroup("NotificationTypeID = 3", v);
    while (Err(*c) == 0) {
        names.push_back(v.AsRecord()->GetText(sngroup::kName));
        c->GetNextDistributionGroup(v);
    }
    EXPECT_EQ(Err(*c), 25123);
    EXPECT_EQ(names, (std::vector<CQvcString>{"Administrators", "Night shift"}));
    EXPECT_EQ((c->DeleteDistributionGroups(""), Err(*c)), 25122);
    EXPECT_EQ((c->DeleteDistributionGroups("Name = 3"), Err(*c)), 25122);
    EXPECT_EQ((c->DeleteDistributionGroups("ID = 10"), Err(*c)), 0);
    EXPECT_EQ((c->GetDistributionGroup(10, v), Err(*c)), 25123);

    auto templ = std::make_shared<CSnRecord>(snkind::kMessageTemplate);
    c->PutMessageTemplate(CQvcVariant::FromRecord(templ));
    EXPECT_EQ(Err(*c), 25142); // no ID
    EXPECT_EQ((c->GetMessageTemplate(1, v), Err(*c)), 0);
    EXPECT_EQ((c->GetMessageTemplate(99, v), Err(*c)), 25141);

    // A database without the settings rows answers "no records" per table.
    c->Close();
    Sql(root.ConfigFile(), "DELETE FROM MetaSettings; DELETE FROM DateTimeSettings; DELETE FROM Tree;"
                           "DELETE FROM ServerCredentials; DELETE FROM NetPopupSettings");
    c->Open();
    EXPECT_EQ((c->GetMetaSettings(v), Err(*c)), 25111);
    EXPECT_EQ((c->get_DateTimeSettings(text), Err(*c)), 25174);
    EXPECT_EQ((c->get_Tree(text), Err(*c)), 25061);
    EXPECT_EQ((c->get_ServerCredentials(text), Err(*c)), 25036);
    bool enabled = true;
    EXPECT_EQ((c->GetNetPopupSettings(enabled), Err(*c)), 25106);
}

TEST_F(SnCfgSqliteTest, ReadOnlyFileReadsButRefusesWrites) {
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores file permissions";
    ASSERT_EQ(::chmod(root.ConfigFile().c_str(), 0444), 0);
    auto c = Component();
    ASSERT_EQ((c->Open(), Err(*c)), 0);
    CQvcVariant v;
    EXPECT_EQ((c->GetMetaSettings(v), Err(*c)), 0);
    EXPECT_EQ((c->PutMetaSettings(v), Err(*c)), 25112);
    EXPECT_NE((c->NewNode(v), Err(*c)), 0);
    ::chmod(root.ConfigFile().c_str(), 0644);
}

TEST_F(SnCfgSqliteTest, LockedDatabaseWaitsThenSaysSo) {
    // Another connection holds the write lock for longer than the busy timeout.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(root.ConfigFile().c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    auto c = Component();
    c->SetBusyTimeout(150);
    EXPECT_EQ((c->Open(), Err(*c)), 25007);
    // Taken while the file is open, the lock fails the writes and the write bracket.
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    ASSERT_EQ((c->Open(), Err(*c)), 0);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    EXPECT_EQ((c->put_Tree("1=0,0"), Err(*c)), 25007);
    EXPECT_EQ((c->BeginTransaction(), Err(*c)), 25007);
    c->Close();
    // The whole-file replacement gives up with "in use".
    testsupport::TempDir dir;
    testsupport::WriteFile(dir.File("new.mdb"), "x");
    EXPECT_EQ(CSnCfgSqlite::ReplaceDatabaseFile(root.ConfigFile(), dir.File("new.mdb"), 150), 25507);
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(other);

    // Once free, a write that had to wait goes through.
    c->SetBusyTimeout(5000);
    c->Open();
    EXPECT_EQ((c->put_Tree("1=0,0"), Err(*c)), 0);
}

TEST_F(SnCfgSqliteTest, UpdateParentsFollowsTheTree) {
    auto c = Component();
    c->Open();
    CQvcVariant v;
    for (long id : {5, 6, 7, 8})
        c->NewNodeWithId(id, v);
    c->put_Tree("1=5,0;5=0,6,7;6=8,0");
    ASSERT_EQ((c->UpdateParents(), Err(*c)), 0);
    long id = 0;
    std::vector<long> underSix;
    c->GetFirstNodeId("ParentID = 6", id);
    while (Err(*c) == 0) {
        underSix.push_back(id);
        c->GetNextNodeId(id);
    }
    EXPECT_EQ(underSix, (std::vector<long>{8}));
    long count = 0;
    c->CountNodes("ParentID = 1", count);
    EXPECT_EQ(count, 3);
    c->put_Tree("1=5,0;5=1,0");
    EXPECT_EQ((c->UpdateParents(), Err(*c)), 25050);
}
