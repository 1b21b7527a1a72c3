#include "model/checks/TypeDialogRules.h"

#include "model/checks/CheckSettings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

HostCheckLimits Editing() {
    return {};
}
HostCheckLimits Creating(long existing = 0, int maxCreate = 255, int maxTotal = 4096) {
    return {true, existing, maxCreate, maxTotal};
}

const char* kManyHosts =
    "Multiple hosts (computernames, IP addresses) are not allowed when modifying a check. It "
    "is only allowed on check creation.";

} // namespace

TEST(TypeDialogRules, HostCheck) {
    struct Case {
        const char* hosts;
        HostCheckLimits limits;
        unsigned id;
        std::string text;
    };
    const Case cases[] = {
        {"", Editing(), 0, ""},
        {"srv1", Editing(), 0, ""},
        {"srv1, srv2", Editing(), 61556, kManyHosts},
        {"srv1;srv2", Creating(), 0, ""},
        {"a,b,c", Creating(0, 2), 61692, "You cannot create more than 2 checks at a time."},
        {"a,b", Creating(4095), 61693,
         "Operation failed. The maximum number of checks in a configuration is limited to 4096."},
    };
    for (const Case& c : cases) {
        const DialogRefusal r = CheckHostField(c.hosts, c.limits);
        EXPECT_EQ(r.Id, c.id) << c.hosts;
        EXPECT_EQ(r.Text.Str(), c.text) << c.hosts;
    }
}

TEST(TypeDialogRules, IcmpChecksInOrder) {
    const char* timeout = "Bad TimeOut value for TimeOut. Valid range is from 1 to 10000.";
    const char* retries = "Bad number of Echo Requests. Valid range is from 1 to 8.";
    const char* ttl = "Bad value for TTL. Valid range is from 1 to 255.";
    const char* buffer = "Bad value for Buffer Size. Valid range is from 0 to 8191.";
    struct Case {
        IcmpSettings fields;
        int field; // -1: passes
        const char* text;
    };
    // clang-format off
    const Case cases[] = {
        {{"127.0.0.1", 1000, 1, 255, 32}, -1, ""},
        {{"  ", 0, 0, 0, 9000}, kIcmpHost, "Host is required."}, // the host comes first
        {{"a,b", 0, 1, 255, 32}, kIcmpHost, kManyHosts},
        {{"h", 0, 1, 255, 8192}, kIcmpTimeout, timeout},
        {{"h", 1, 1, 255, 32}, -1, ""},
        {{"h", 10000, 8, 255, 32}, -1, ""},
        {{"h", 10001, 1, 255, 32}, kIcmpTimeout, timeout},
        {{"h", 1000, 9, 255, 32}, kIcmpRetries, retries},
        {{"h", 1000, 0, 0, 32}, kIcmpRetries, retries},
        {{"h", 1000, 1, 256, 32}, kIcmpTtl, ttl},
        {{"h", 1000, 1, 1, 0}, -1, ""},
        {{"h", 1000, 1, 255, 8191}, -1, ""},
        {{"h", 1000, 1, 255, 8192}, kIcmpBuffer, buffer},
        {{"h", 1000, 1, 255, static_cast<int>(FieldNumber(""))}, kIcmpBuffer, buffer},
    };
    // clang-format on
    for (const Case& c : cases) {
        const DialogRefusal r = CheckIcmpFields(c.fields, Editing());
        EXPECT_EQ(r.Field, c.field) << c.fields.Host << " " << c.fields.TimeoutMs;
        EXPECT_EQ(r.Text.Str(), c.text) << c.fields.Host << " " << c.fields.TimeoutMs;
    }
    // Creating allows the list; the sample data pass as they are.
    EXPECT_FALSE(CheckIcmpFields({"127.0.0.1, ::1", 1000, 1, 255, 32}, Creating()).Refused());
    EXPECT_EQ(IcmpSampleData(), (IcmpSettings{"127.0.0.1", 500, 3, 255, 32}));
    EXPECT_FALSE(CheckIcmpFields(IcmpSampleData(), Editing()).Refused());
}

TEST(TypeDialogRules, CodeTables) {
    for (const auto& [table, size] :
         {std::pair{&ComparisonOperators(), 6}, std::pair{&SnmpDataTypes(), 11}}) {
        EXPECT_EQ(static_cast<int>(table->size()), size);
        int expected = 1;
        for (const CodeTableEntry& entry : *table) {
            EXPECT_EQ(entry.Code, expected++);
            EXPECT_EQ(DialogCodeOf(*table, entry.Text), entry.Code);
            EXPECT_STREQ(DialogTextOf(*table, entry.Code), entry.Text);
        }
        EXPECT_STREQ(DialogTextOf(*table, 0), "");
        EXPECT_EQ(DialogCodeOf(*table, ""), 0);
    }
    EXPECT_EQ(DialogCodeOf(ComparisonOperators(), "Greater or Equal To"), 6);
    EXPECT_EQ(DialogCodeOf(ComparisonOperators(), "equal to"), 0);
    EXPECT_EQ(DialogCodeOf(SnmpDataTypes(), "String  (ASN_OCTETSTRING)"), 8);
    EXPECT_EQ(DialogCodeOf(SnmpDataTypes(), "String (ASN_OCTETSTRING)"), 0);
    EXPECT_EQ(std::string(SnmpProtocolName(1)) + "," + SnmpProtocolName(2) + "," + SnmpProtocolName(0),
              "SNMP v1,SNMP v2c,SNMP v2c");
}

TEST(TypeDialogRules, Credentials) {
    CSnCfgServerCredentials list;
    list.Parse("Srv1;;admin;;AB12");
    auto asks = [&list](bool creating, const char* host) { return NeedsCredentialsQuestion(creating, host, list); };
    EXPECT_EQ((std::vector<bool>{asks(true, "srv2"), asks(true, "SRV1"), asks(true, " "), asks(false, "srv2")}),
              (std::vector<bool>{true, false, false, false}));

    EXPECT_EQ(CheckCredentialsEntry({" ", "u", "p"}, "p").Text.Str(), "Server is required.");
    EXPECT_EQ(CheckCredentialsEntry({"s", "u", "p"}, "q").Text.Str(), "The two passwords do not match.");
    EXPECT_TRUE(CheckCredentialsEntry({"s", "u;;x", "p"}, "p").Refused());
    EXPECT_FALSE(CheckCredentialsEntry({"s", "", ""}, "").Refused());

    PutCredentials(list, {" srv1 ", "root", "CD34"});
    PutCredentials(list, {"srv2", "guest", ""});
    EXPECT_EQ(list.Format().Str(), "srv1;;root;;CD34||srv2;;guest;;");
}

TEST(TypeDialogRules, FieldWriting) {
    EXPECT_EQ((std::vector<long>{FieldNumber(" 42 "), FieldNumber("0"), FieldNumber("999999999")}),
              (std::vector<long>{42, 0, 999999999}));
    for (const char* bad : {"", "4x", "-5", "1234567890"})
        EXPECT_EQ(FieldNumber(bad), -1) << bad;

    EXPECT_EQ(OptionCodes({true, false, true}).Str(), "101");
    CQvcString codes = "01";
    SetOptionCode(codes, 4, '1');
    EXPECT_EQ(codes.Str(), "01xx1");

    EXPECT_EQ(JoinPair("10", "").Str(), "10||");
    const auto [a, b] = SplitPair(JoinPair("x", "y||z"));
    EXPECT_EQ(a.Str() + " " + b.Str(), "x y||z");
    EXPECT_EQ(SplitPair("single").second.Str(), "");
}
