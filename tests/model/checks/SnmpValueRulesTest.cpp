// The value conditions of SNMP GET checks and the trap filters of SNMP Trap Receive checks.
#include "model/checks/SnmpValueRules.h"

#include <gtest/gtest.h>

namespace {

TEST(SnmpValueRules, ComparisonsReadBothSidesAsTheDataType) {
    struct Case {
        int type;
        std::string actual;
        int op;
        std::string expected;
        bool holds;
    };
    const Case cases[] = {
        {4, "-5", 3, "2", true},                 // integers signed: -5 < 2
        {4, "10", 5, "9", true},                 // as numbers, not as text ("10" < "9")
        {3, "18446744073709551615", 6, "18446744073709551614", true}, // Counter64 range
        {9, " 100 ", 1, "100", true},            // blanks around numbers ignored
        {10, "-1", 1, "-1", false},              // unsigned has no sign
        {4, "Linux", 1, "Linux", false},         // not a number: nothing holds
        {5, "10.0.0.9", 3, "10.0.0.10", true},   // addresses by their numbers
        {5, "10.0.0.256", 2, "10.0.0.1", false}, // not an address
        {6, ".1.3.6.1.2", 1, "1.3.6.1.2", true}, // leading dot ignored
        {6, "1.3.6.1.10", 5, "1.3.6.1.9", true}, // arc by arc
        {8, "abc", 3, "abd", true},
        {8, "Linux", 1, "linux", false},         // text keeps letter case
        {0, "x", 4, "x", true},                  // no type: text
        {8, "x", 7, "x", false},                 // unknown operator
        {8, "x", 2, "y", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SnmpComparisonHolds(c.type, c.actual, c.op, c.expected), c.holds)
            << c.type << " '" << c.actual << "' op " << c.op << " '" << c.expected << "'";
    EXPECT_TRUE(SnmpComparisonHolds(8, "Linux", 1, "LINUX", true));
}

TEST(SnmpValueRules, SecondConditionJoinsWithAndOrOr) {
    SnmpGetSettings s;
    s.DataType = 4;
    s.Operator1 = 6; // >= 10
    // GCC 12 at -O3 misreads the assignment of short literals to std::string (GCC bug 105329).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
    s.Value1 = "10";
    s.Operator2 = 3; // < 20
    s.Value2 = "20";
#pragma GCC diagnostic pop
    struct Case {
        bool second, either;
        std::string value;
        bool holds;
    };
    const Case cases[] = {
        {false, false, "25", true}, {true, false, "25", false}, {true, false, "15", true},
        {true, true, "25", true},   {true, true, "5", true},    {true, false, "5", false},
    };
    for (const Case& c : cases) {
        s.UseSecond = c.second;
        s.EitherCondition = c.either;
        EXPECT_EQ(SnmpGetConditionsHold(s, c.value), c.holds) << c.second << c.either << " " << c.value;
    }
}

TEST(SnmpValueRules, TrapPassesOnlyEveryFilter) {
    const ReceivedTrap trap{"127.0.0.1", 2, "public", "1.3.6.1.4.1.99.1.5", "",
                            {{"1.3.6.1.4.1.99.1.5.1", 8, "disk full"}, {"1.3.6.1.4.1.99.1.5.2", 4, "95"}}};
    const SnmpTrapSettings any; // a new check: from any host, any OID, any community
    struct Case {
        const char* what;
        void (*change)(SnmpTrapSettings&);
        bool matches;
    };
    const Case cases[] = {
        {"any", [](SnmpTrapSettings&) {}, true},
        {"host listed", [](SnmpTrapSettings& s) { s.Host = "server; 127.0.0.1"; }, true},
        {"other host", [](SnmpTrapSettings& s) { s.Host = "127.0.0.2"; }, false},
        {"host name resolved", [](SnmpTrapSettings& s) { s.Host = "agent.example"; }, false},
        {"v1 only", [](SnmpTrapSettings& s) { s.Version = 1; }, false},
        {"v2c only", [](SnmpTrapSettings& s) { s.Version = 2; }, true},
        {"other community", [](SnmpTrapSettings& s) { s.Community = "private"; }, false},
        {"same community", [](SnmpTrapSettings& s) { s.Community = "public"; }, true},
        {"OID exact", [](SnmpTrapSettings& s) { s.Oid = ".1.3.6.1.4.1.99.1.5"; }, true},
        {"OID above, subtree", [](SnmpTrapSettings& s) { s.Oid = "1.3.6.1.4.1.99"; }, true},
        {"OID above, exact only", [](SnmpTrapSettings& s) { s.Oid = "1.3.6.1.4.1.99"; s.OidSubtree = false; }, false},
        {"OID prefix not an arc", [](SnmpTrapSettings& s) { s.Oid = "1.3.6.1.4.1.9"; }, false},
        {"value of any variable", [](SnmpTrapSettings& s) { s.MatchValue = true; s.Value = "95"; }, true},
        {"value as number", [](SnmpTrapSettings& s) {
             s.MatchValue = true; s.DataType = 4; s.Operator = 5; s.Value = "90"; }, true},
        {"type filter", [](SnmpTrapSettings& s) { s.MatchValue = true; s.DataType = 8; s.Value = "95"; }, false},
        {"named variable", [](SnmpTrapSettings& s) {
             s.MatchValue = true; s.VariableOid = "1.3.6.1.4.1.99.1.5.1"; s.Value = "95"; }, false},
        {"case ignored", [](SnmpTrapSettings& s) {
             s.MatchValue = true; s.Value = "DISK FULL"; s.IgnoreCase = true; }, true},
        {"case kept", [](SnmpTrapSettings& s) { s.MatchValue = true; s.Value = "DISK FULL"; }, false},
    };
    for (const Case& c : cases) {
        SnmpTrapSettings s = any;
        c.change(s);
        EXPECT_EQ(TrapMatches(s, trap), c.matches) << c.what;
    }
    SnmpTrapSettings named = any;
    named.Host = "agent.example";
    EXPECT_TRUE(TrapMatches(named, trap, {"127.0.0.1"}));
    // A v1 trap also matches by the enterprise OID it was sent with.
    SnmpTrapSettings enterprise = any;
    enterprise.Oid = "1.3.6.1.4.1.77";
    enterprise.OidSubtree = false;
    EXPECT_TRUE(TrapMatches(enterprise, {"127.0.0.1", 1, "public", "1.3.6.1.4.1.77.0.3", "1.3.6.1.4.1.77", {}}));
}

} // namespace
