// The Database Query check on an SQLite file below the Engine root: the conditions on the
// value found, and what the engine cannot run or find.
#include "RunnerTestSupport.h"
#include "TestSupport.h"
#include "engine/DatabaseQueryRunner.h"
#include "model/checks/CheckSettings.h"

#include <sqlite3.h>

#include <gtest/gtest.h>

#include <filesystem>

using Kind = CheckOutcome::Kind;

TEST(DatabaseQueryRunner, ConditionsOnTheFirstRow) {
    testsupport::TempDir root;
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open((root.Path() + "/q.db").c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, "create table t(n, s); insert into t values(10, 'up'), (3, 'down');", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);
    const RunContext context = runnertest::Context(std::chrono::seconds(30), nullptr, root.Path() + "/");
    const struct {
        const char* connection;
        const char* query;
        const char* field;
        int type, op1;
        const char* value1;
        const char* codes; // [1] second condition, [2] OR
        int op2;
        const char* value2;
        Kind kind;
        const char* response;
    } rows[] = {
        // 10 > 9 as numbers, though "10" < "9" as texts.
        {"Driver=SQLite3;Database=<SNROOT>q.db", "select n from t", "", 1, 5, "9", "x00", 0, "", Kind::Success,
         "Field 'n' is '10'"},
        {"driver={SQLite3 ODBC Driver}; DATA SOURCE=<SNROOT>q.db", "select n from t", "N", 2, 5, "9", "x00", 0, "",
         Kind::Error, "Field 'N' is '10': the condition is not met"},
        {"Driver=SQLite3;Database=<SNROOT>q.db", "select * from t order by n", "s", 2, 1, "down", "x10", 1, "up",
         Kind::Error, "Field 's' is 'down': the condition is not met"},
        {"Driver=SQLite3;Database=<SNROOT>q.db", "select * from t order by n", "s", 2, 1, "down", "x11", 1, "up",
         Kind::Success, "Field 's' is 'down'"},
        {"Driver=SQLite3;Database=<SNROOT>q.db", "select s from t", "", 1, 1, "1", "x00", 0, "", Kind::Uncertain,
         "Not a number: 'up' compared with '1'"},
        {"Driver=SQLite3;Database=<SNROOT>q.db", "select n from t where n > 99", "", 1, 1, "1", "x00", 0, "",
         Kind::Error, "The query returned no rows"},
        {"Driver=SQLite3;Database=<SNROOT>q.db", "select n from t", "x", 1, 1, "1", "x00", 0, "", Kind::Error,
         "The query returns no field named 'x'"},
        {"Driver=SQLite3;Database=<SNROOT>q.db", "delete from t", "", 1, 1, "1", "x00", 0, "", Kind::Error,
         "The query returns no fields"},
        {"Driver=SQLite3;Database=<SNROOT>none.db", "select 1", "", 1, 1, "1", "x00", 0, "", Kind::Error,
         nullptr},
        {"Provider=Other;Data Source=<SNROOT>q.db", "select 1", "", 1, 1, "1", "x00", 0, "", Kind::Uncertain,
         nullptr},
    };
    for (const auto& row : rows) {
        CSnNodeCfg check = runnertest::MakeCheck(kTypeDatabaseQuery);
        DatabaseQuerySettings s{row.connection, "", row.query, row.field, row.type, row.op1, row.value1,
                                row.codes[1] == '1', row.codes[2] == '1', row.op2, row.value2};
        s.Write(check.Function);
        const CheckOutcome outcome = RunCheck(check, context);
        EXPECT_EQ(outcome.kind, row.kind) << row.query << " " << runnertest::Describe(outcome);
        if (row.response) {
            EXPECT_EQ(outcome.Response.Str(), row.response);
        }
    }
    // Only the first statement runs, and a missing file is not made.
    const char* file = "Driver=SQLite3;Database=<SNROOT>q.db";
    EXPECT_EQ(RunDatabaseQuery(file, "select 1; delete from t", "", context).Code, 0);
    EXPECT_EQ(RunDatabaseQuery(file, "select count(*) from t", "", context).Value, "2");
    EXPECT_FALSE(std::filesystem::exists(root.Path() + "/none.db"));
}
