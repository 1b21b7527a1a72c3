#include "model/store/SnWhereClause.h"

#include <gtest/gtest.h>

namespace {
const std::vector<CSnWhereClause::Field> kFields{{"ID", "ID"}, {"Type", "Type"}, {"NotificationTypeID", "NT"}};
}

TEST(SnWhereClause, AcceptsTheGrammar) {
    CSnWhereClause w;
    // Each condition as "column op value".
    auto shown = [&w] {
        std::string out;
        for (const auto& c : w.Conditions())
            out += std::string(c.Column) + " " + std::string(c.Op) + " " + std::to_string(c.Value) + ";";
        return out;
    };
    ASSERT_TRUE(w.Parse("ID >= 10000 AND Type <> 1", kFields));
    EXPECT_EQ(shown(), "ID >= 10000;Type <> 1;");
    EXPECT_EQ(w.Sql(), " WHERE \"ID\" >= ? AND \"Type\" <> ?");
    ASSERT_TRUE(w.Parse("notificationtypeid=3 and id<>-12", kFields));
    EXPECT_EQ(shown(), "NT = 3;ID <> -12;");
    ASSERT_TRUE(w.Parse("  ID!=+5 ", kFields));
    EXPECT_EQ(shown(), "ID <> 5;");
    for (const char* op : {"=", "<", "<=", ">", ">="})
        EXPECT_TRUE(w.Parse(std::string("ID") + op + "1", kFields)) << op;

    ASSERT_TRUE(w.Parse("   ", kFields));
    EXPECT_TRUE(w.IsEmpty());
    EXPECT_EQ(w.Sql(), "");
}

TEST(SnWhereClause, RefusesAnythingElse) {
    CSnWhereClause w;
    const char* bad[] = {"Name = 1",  "ID = 'x'",   "ID = 1 OR 1 = 1", "ID = 1; DROP TABLE Nodes",   "ID = 1 AND",
                         "AND ID = 1", "ID 1",      "ID == 1",         "ID = 1.5",                   "ID = 12abc",
                         "(ID = 1)",  "1 = ID",     "ID = --1",        "ID = 99999999999999999999", "ID = 1 AND Type"};
    for (const char* text : bad) {
        EXPECT_FALSE(w.Parse(text, kFields)) << text;
        EXPECT_TRUE(w.IsEmpty()) << text;
    }
}
