// A writer killed in the middle of a save leaves a database that opens with the old or
// the new record.  The writer is a forked child.  (Concurrent writers: the command-line
// tests' ConcurrentWritersTest.)
#include "CfgTestRoot.h"
#include "model/store/SnCfgSqlite.h"
#include "model/store/SnRecordProperties.h"

#include "ForkedChild.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace {

using testsupport::ExitStatus;
using testsupport::Spawn;

} // namespace

TEST(SnCfgProcesses, KilledWriterLeavesOldOrNewRecord) {
    CfgTestRoot root;
    const CQvcString connection = CQvcString("DBQ=") + root.ConfigFile().c_str();
    {
        CSnCfgSqlite c(connection);
        c.Open();
        CQvcVariant v;
        c.NewNodeWithId(10000, v);
        long code = -1;
        c.GetLastError(code);
        ASSERT_EQ(code, 0);
    }
    // Each save writes one letter into a large text and into a second property; a torn
    // save would show two letters or a mismatch.
    for (int round = 0; round < 6; ++round) {
        pid_t pid = Spawn([&]() -> int {
            CSnCfgSqlite c(connection);
            for (int i = 0;; ++i) {
                c.Open();
                auto r = std::make_shared<CSnRecord>(snkind::kNode);
                r->SetLong(kPropId, 10000);
                const char letter = static_cast<char>('a' + i % 26);
                r->SetText(snnode::kNotes, CQvcString(std::string(300000, letter)));
                r->SetText(snnode::kParam1, CQvcString(std::string(3, letter)));
                c.SaveNode(CQvcVariant::FromRecord(r));
                c.Close();
            }
        });
        ASSERT_GT(pid, 0);
        ::usleep(static_cast<useconds_t>(40000 + round * 23000));
        ::kill(pid, SIGKILL);
        EXPECT_EQ(ExitStatus(pid), 128 + SIGKILL);

        CSnCfgSqlite c(connection);
        c.Open();
        long code = -1;
        c.GetLastError(code);
        ASSERT_EQ(code, 0) << "round " << round;
        CQvcVariant v;
        c.GetNode(10000, v);
        c.GetLastError(code);
        ASSERT_EQ(code, 0) << "round " << round;
        const std::string notes = v.AsRecord()->GetText(snnode::kNotes).Str();
        const std::string param = v.AsRecord()->GetText(snnode::kParam1).Str();
        if (!notes.empty()) {
            EXPECT_EQ(notes.size(), 300000u);
            EXPECT_EQ(notes.find_first_not_of(notes[0]), std::string::npos);
            EXPECT_EQ(param, std::string(3, notes[0]));
        } else {
            EXPECT_TRUE(param.empty()); // still the first, empty record
        }
        c.Close();
        EXPECT_EQ(Query(root.ConfigFile(), "PRAGMA integrity_check"), "ok|\n");
    }
}
