// The database dialogs' checks on OK as tables (first refusal: field and text), the
// stored form of the query check, and the Engine root in its connection text.
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"
#include "model/checks/TypeDialogRules.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

std::pair<int, std::string> Seen(const DialogRefusal& r) {
    return {r.Field, r.Text.Str()};
}

} // namespace

TEST(DatabaseDialogRules, OdbcAndOracle) {
    EXPECT_EQ(Seen(CheckOdbcFields({" ", "sa", ""})), (std::pair<int, std::string>{0, "ODBC Data Source Name name is required."}));
    EXPECT_FALSE(CheckOdbcFields({"Sales", "", ""}).Refused());
    // The TNS name only goes through the shared host check: one name passes, a list is
    // refused while editing.
    EXPECT_FALSE(CheckOracleFields({"ORCL", true, "scott", "tiger"}, {}).Refused());
    EXPECT_EQ(CheckOracleFields({"a,b", false, "", ""}, {}).Id, 61556u);
}

// GCC 12 at -O3 wrongly sees an overlapping copy when a short literal is assigned to a
// std::string (GCC bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
TEST(DatabaseDialogRules, QueryTable) {
    DatabaseQuerySettings ok;
    ok.Connection = "Driver=SQLite3;Database=/tmp/a.db";
    ok.Query = "select 1 as n";
    ok.Field = "n";
    ok.Type = DatabaseQuerySettings::kNumber;
    ok.Value1 = "1";
    const auto with = [&ok](auto change) {
        DatabaseQuerySettings s = ok;
        change(s);
        return s;
    };
    const struct {
        DatabaseQuerySettings fields;
        int field;
        const char* text;
    } rows[] = {
        {ok, -1, ""},
        {with([](auto& s) { s.Connection = " "; s.Query = ""; }), kQueryConnection, "Connection string required."},
        {with([](auto& s) { s.Query = " "; s.Field = ""; }), kQueryText, "Query is required."},
        {with([](auto& s) { s.Field = ""; s.Type = 0; }), kQueryField, "Database field required."},
        {with([](auto& s) { s.Type = 0; s.Operator1 = 0; }), kQueryDataType, "Data type required."},
        {with([](auto& s) { s.Type = 3; }), kQueryDataType, "Data type required."},
        {with([](auto& s) { s.Operator1 = 0; s.Value1 = ""; }), kQueryOperator1, "Operand required."},
        {with([](auto& s) { s.Operator1 = 7; }), kQueryOperator1, "Operand required."},
        // The unused second condition is not looked at; once used it must be complete.
        {with([](auto& s) { s.Operator1 = 6; s.Operator2 = 0; }), -1, ""},
        {with([](auto& s) { s.UseSecond = true; s.Operator2 = 0; s.Value1 = ""; }), kQueryOperator2, "Operand required."},
        {with([](auto& s) { s.UseSecond = true; s.Operator2 = 1; s.Value1 = " "; }), kQueryValue1, "Value required."},
        {with([](auto& s) { s.UseSecond = true; s.Operator2 = 1; }), kQueryValue2, "Value required."},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(Seen(CheckDatabaseQueryFields(rows[i].fields)), (std::pair<int, std::string>{rows[i].field, rows[i].text}))
            << "row " << i;
    // "Execute Query" needs only the first two.
    EXPECT_FALSE(CheckQueryToExecute(with([](auto& s) { s.Field = ""; s.Type = 0; })).Refused());
}
#pragma GCC diagnostic pop

// A new check reads as the struct's defaults.
TEST(DatabaseDialogRules, QueryDefaults) {
    CSnNodeCfgFunction f;
    f.Type = kTypeDatabaseQuery;
    CheckTypeDefaults(&f);
    EXPECT_EQ(DatabaseQuerySettings::Read(f), DatabaseQuerySettings{});
}

TEST(DatabaseDialogRules, EngineRootInTheConnectionText) {
    const std::string root = "/srv/sn";
    const struct {
        const char* shown;
        const char* stored;
    } rows[] = {
        {"Driver=SQLite3;Database=/srv/sn/Logs/q.db", "Driver=SQLite3;Database=<SNROOT>Logs/q.db"},
        {"Data Source=/srv/sn;Mode=ro", "Data Source=<SNROOT>;Mode=ro"},
        // Not below the root: a sibling with a longer name and a path that only contains it.
        {"Database=/srv/sn2/q.db;x=/a/srv/sn/q.db", "Database=/srv/sn2/q.db;x=/a/srv/sn/q.db"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(ConnectionWithRootPlaceholder(row.shown, root + "/"), row.stored);
        EXPECT_EQ(ConnectionWithRootPlaceholder(row.shown, root), row.stored);
    }
    EXPECT_EQ(ConnectionWithRoot("Database=<snroot>Logs/q.db", root), "Database=/srv/sn/Logs/q.db");
    EXPECT_EQ(ConnectionWithRoot("Database=<SNROOT>q.db", ""), "Database=<SNROOT>q.db");
}
