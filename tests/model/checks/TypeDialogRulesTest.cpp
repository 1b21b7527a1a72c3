#include "DialogRuleTable.h"
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
    auto asks = [&list](bool creating, const char* host) {
        return NeedsCredentialsQuestion(creating, host, list);
    };
    EXPECT_EQ(
        (std::vector<bool>{asks(true, "srv2"), asks(true, "SRV1"), asks(true, " "), asks(false, "srv2")}),
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

// --- the network family: one table per dialog, each row the first refusal of its values ---

namespace {

struct Refusal {
    int field; // -1: passes
    std::string text;
};

Refusal Of(const DialogRefusal& r) {
    return {r.Refused() ? r.Field : -1, r.Text.Str()};
}

void ExpectTable(const std::vector<std::pair<Refusal, Refusal>>& rows) {
    int row = 0;
    for (const auto& [got, want] : rows)
        EXPECT_EQ(std::pair(got.field, got.text), std::pair(want.field, want.text)) << "row " << row++;
}

const Refusal kPass{-1, ""};

template <typename S, typename F> S With(F change) {
    S s;
    change(s);
    return s;
}

} // namespace

TEST(TypeDialogRules, Dns) {
    const auto dns = [](const std::string& host, const std::string& name) {
        return CheckDnsFields(With<DnsSettings>([&](auto& s) { s.Server = host, s.Name = name; }), Editing());
    };
    const std::string label63(63, 'a'),
        name253 = label63 + "." + label63 + "." + label63 + "." + std::string(61, 'b');
    const Refusal bad{kDnsName, "Not a valid name."};
    ExpectTable({
        {Of(dns(" ", "")), {kDnsHost, "Host is required."}},
        {Of(dns("a,b", "x")), {kDnsHost, kManyHosts}},
        {Of(CheckDnsFields(With<DnsSettings>([](auto& s) { s.Server = "a,b", s.Name = "x"; }), Creating())),
         kPass},
        {Of(dns("h", "  ")), {kDnsName, "Name is required."}},
        {Of(dns("h", "bad name")), bad},
        {Of(dns("h", "-a.test")), bad},
        {Of(dns("h", "a..test")), bad},
        {Of(dns("h", label63 + "a.test")), bad},
        {Of(dns("h", name253 + "b")), bad},
        {Of(dns("h", name253 + ".")), kPass},
        {Of(dns("h", label63 + ".x_y-z.test.")), kPass},
        {Of(CheckDnsFields(DnsSampleData(), Editing())), kPass},
    });
}

TEST(TypeDialogRules, SnmpGet) {
    const auto snmp = [](auto change) {
        SnmpGetSettings s = SnmpGetSampleData();
        change(s);
        return Of(CheckSnmpGetFields(s, Editing()));
    };
    const auto conflict = [](int field, const char* value, const char* type) {
        return Refusal{field, std::string("Invalid value: [") + value +
                                  "]. Value conflicts with data type [" + type + "]."};
    };
    const char* oid =
        "A valid SNMP OID is required (numbers separated by dots, for instance 1.3.6.1.2.1.1.3.0).";
    ExpectTable({
        {snmp([](auto& s) { s.Host = "", s.Community = ""; }), {kSnmpHost, "SNMP agent is required."}},
        {snmp([](auto& s) { s.Host = "a;b"; }), {kSnmpHost, kManyHosts}},
        {snmp([](auto& s) { s.Community = " ", s.Oid = "x"; }),
         {kSnmpCommunity, "SNMP Community string is required."}},
        {snmp([](auto& s) { s.Oid = "1"; }), {kSnmpOid, oid}},
        {snmp([](auto& s) { s.Oid = "1.3.x"; }), {kSnmpOid, oid}},
        {snmp([](auto& s) { s.Oid = ".1.3"; }), kPass},
        {snmp([](auto& s) { s.DataType = 0, s.Operator1 = 0; }),
         {kSnmpDataType, "SNMP Data Type is required."}},
        {snmp([](auto& s) { s.DataType = 12; }), {kSnmpDataType, "SNMP Data Type is required."}},
        {snmp([](auto& s) { s.Operator1 = 7, s.Value1 = ""; }),
         {kSnmpOperator1, "Comparison Operator (Equal To, Less than, ...) is required."}},
        {snmp([](auto& s) { s.Operator2 = 0; }), kPass}, // the second condition is not used
        {snmp([](auto& s) { s.UseSecond = true, s.Operator2 = 0, s.Value1 = ""; }),
         {kSnmpOperator2, "Comparison Operator (Equal To, Less than, ...) is required."}},
        {snmp([](auto& s) { s.Value1 = " ", s.Port = 0; }), {kSnmpValue1, "Value is required."}},
        {snmp([](auto& s) { s.UseSecond = true, s.Value1 = "x"; }), {kSnmpValue2, "Value is required."}},
        {snmp([](auto& s) { s.Value1 = "-5"; }), conflict(kSnmpValue1, "-5", "TimeTicks  (ASN_TIMETICKS)")},
        {snmp([](auto& s) { s.DataType = 4, s.Value1 = "-5"; }), kPass},
        {snmp([](auto& s) { s.DataType = 4, s.UseSecond = true, s.Value2 = "5x"; }),
         conflict(kSnmpValue2, "5x", "Integer  (ASN_INTEGER, ASN_INTEGER32)")},
        {snmp([](auto& s) { s.DataType = 5, s.Value1 = "127.0.0.256"; }),
         conflict(kSnmpValue1, "127.0.0.256", "IP Address  (ASN_IPADDRESS)")},
        {snmp([](auto& s) { s.DataType = 6, s.Value1 = "1.3.6"; }), kPass},
        {snmp([](auto& s) { s.DataType = 8, s.Value1 = "any text"; }), kPass},
        {snmp([](auto& s) { s.Port = 0; }), {kSnmpPort, "Invalid SNMP port."}},
        {snmp([](auto& s) { s.Port = 65536; }), {kSnmpPort, "Invalid SNMP port."}},
        {snmp([](auto& s) { s.Port = 65535; }), kPass},
    });
}

TEST(TypeDialogRules, SnmpTrapReceive) {
    const auto trap = [](auto change) {
        SnmpTrapSettings s;
        s.MatchValue = true;
        s.Value = "5";
        change(s);
        return Of(CheckSnmpTrapFields(s));
    };
    const char* oid =
        "A valid SNMP OID is required (numbers separated by dots, for instance 1.3.6.1.2.1.1.3.0).";
    ExpectTable({
        {trap([](auto&) {}), kPass}, // any type, Equal To
        {trap([](auto& s) { s.Operator = 3, s.Value = ""; }),
         {kTrapOperator, "You cannot set the OID Data Type filter to 'Any Type' when using an operator other "
                         "than 'Equal To'."}},
        {trap([](auto& s) { s.MatchValue = false, s.Operator = 3, s.Value = ""; }), kPass},
        {trap([](auto& s) { s.DataType = 4, s.Operator = 0; }),
         {kTrapOperator, "Comparison Operator (Equal To, Less than, ...) is required."}},
        {trap([](auto& s) { s.Value = " ", s.DataType = 12; }), {kTrapValue, "Value is required."}},
        {trap([](auto& s) { s.DataType = 12, s.Oid = "x"; }), {kTrapDataType, "SNMP Data Type is required."}},
        {trap([](auto& s) { s.Oid = "1.3.x"; }), {kTrapOid, oid}},
        {trap([](auto& s) { s.MatchValue = false, s.Oid = "1"; }), {kTrapOid, oid}},
        {trap([](auto& s) { s.Oid = " 1.3.6.1.6.3.1.1.5.3", s.VariableOid = "*"; }), kPass},
        {trap([](auto& s) { s.VariableOid = "ifIndex"; }), {kTrapVariableOid, oid}},
        {trap([](auto& s) { s.MatchValue = false, s.VariableOid = "ifIndex"; }), kPass},
        {trap([](auto& s) { s.DataType = 3, s.Value = "-1"; }),
         {kTrapValue,
          "Invalid value: [-1]. Value conflicts with data type [Counter  (ASN_COUNTER32, ASN_COUNTER64)]."}},
    });
}

TEST(TypeDialogRules, HostOnlyDialogs) {
    const auto ntp = [](const char* h) { return Of(CheckNtpFields({h}, Editing())); };
    const auto rsh = [](const char* h, int timeout = 1) {
        return Of(CheckRshFields(With<RshSettings>([&](auto& s) { s.Host = h, s.TimeoutMs = timeout; }),
                                 Editing()));
    };
    const auto radius = [](const char* h, int port = 65535, int timeout = 3600000) {
        return Of(CheckRadiusFields(
            With<RadiusSettings>([&](auto& s) { s.Host = h, s.Port = port, s.TimeoutMs = timeout; }),
            Editing()));
    };
    const auto smpp = [](const char* h, int port = 1) {
        return Of(
            CheckSmppFields(With<SmppSettings>([&](auto& s) { s.Host = h, s.Port = port; }), Editing()));
    };
    const Refusal port{1, kBadPort}; // every port field is field 1
    ExpectTable({
        {ntp(""), {0, "Timeserver is required."}},
        {ntp("a,b"), {0, kManyHosts}},
        {ntp("127.0.0.1"), kPass},
        {rsh(""), kPass}, // no host is required here
        {rsh("a,b", 0), {0, kManyHosts}},
        {rsh("h", 0), {kRshTimeout, kBadTimeoutMs}},
        {rsh("h", 3600000), kPass},
        {radius(" "), {0, "Host is required."}},
        {radius("a;b", 0), {0, kManyHosts}},
        {radius("h", 0), port},
        {radius("h", 65536), port},
        {radius("h", 1812, 3600001), {kRadiusTimeout, kBadTimeoutMs}},
        {radius("h", 1812, 0), {kRadiusTimeout, kBadTimeoutMs}},
        {radius("h"), kPass},
        {smpp("h", 0), port},
        {smpp(""), {0, "Host is required."}},
        {smpp("127.0.0.1"), kPass},
    });
}

TEST(TypeDialogRules, Ssh) {
    const auto ssh = [](auto change) {
        SshSettings s = SshSampleData();
        change(s);
        return Of(CheckSshFields(s, Editing(), [](const std::string& path) { return path == "/keys/id"; }));
    };
    const Refusal outside{kSshLocalScript, "The SSH directory must be located in the directory of "
                                           "<SNROOT>scripts\\ssh\\ or in one of its subdirectories."};
    ExpectTable({
        {ssh([](auto& s) { s.Host = " ", s.UseKey = true; }), {kSshHost, "Remote Host field is required."}},
        {ssh([](auto& s) { s.Host = "a,b"; }), {kSshHost, kManyHosts}},
        {ssh([](auto& s) { s.UseKey = true, s.CopyScript = true; }),
         {kSshKeyFile, "Private Key File is required."}},
        {ssh([](auto& s) { s.UseKey = true, s.KeyFile = "/keys/other"; }),
         {kSshKeyFile, "Private Key File does not exist."}},
        {ssh([](auto& s) { s.UseKey = true, s.KeyFile = " /keys/id "; }), kPass},
        {ssh([](auto& s) { s.KeyFile = "/keys/other"; }), kPass}, // the password is used
        {ssh([](auto& s) { s.CopyScript = true, s.LocalScript = "/tmp/a.sh"; }), outside},
        {ssh([](auto& s) { s.CopyScript = true, s.LocalScript = "<SNROOT>scripts\\ssh\\"; }), outside},
        {ssh([](auto& s) { s.CopyScript = true, s.LocalScript = "<SNROOT>scripts/ssh/../x.sh"; }), outside},
        {ssh([](auto& s) { s.CopyScript = true, s.LocalScript = "<snroot>Scripts\\SSH\\disk\\a.sh"; }),
         kPass},
        {ssh([](auto& s) { s.LocalScript = "/tmp/a.sh"; }), kPass}, // nothing is copied
        {ssh([](auto& s) { s.CopyScript = true, s.Port = 0; }), outside},
        {ssh([](auto& s) { s.Port = 65536, s.TimeoutMs = 0; }), {kSshPort, kBadPort}},
        {ssh([](auto& s) { s.Port = 65535, s.TimeoutMs = 0; }), {kSshTimeout, kBadTimeoutMs}},
        {ssh([](auto& s) { s.Port = 1, s.TimeoutMs = 3600000; }), kPass},
    });
}

TEST(TypeDialogRules, TraceRoute) {
    using Rule = TraceRouteSettings::HopRule;
    const auto trace = [](Rule rule, const char* hops, bool resolve = true, const char* host = "h",
                          int maxHops = 30, int hopMs = 500) {
        return Of(CheckTraceRouteFields(With<TraceRouteSettings>([&](auto& s) {
                                            s.Host = host, s.Rule = rule, s.Hops = hops, s.Resolve = resolve;
                                            s.MaxHops = maxHops, s.MaxHopMs = hopMs;
                                        }),
                                        Editing()));
    };
    const Refusal needResolve{kTraceHops,
                              "You must set the 'Resolve addresses to hostnames' option in order to "
                              "allow hostnames in the hop list."};
    ExpectTable({
        {trace(Rule::AnyListed, "", true, ""), {kTraceHost, "Host is required."}},
        {trace(Rule::None, "", true, "a,b"), {kTraceHost, kManyHosts}},
        {trace(Rule::None, "not valid!"), kPass}, // without a hop rule the list is not looked at
        {trace(Rule::AnyListed, " ,; "), {kTraceHops, "At least one IP address required."}},
        {trace(Rule::NoneListed, ""), {kTraceHops, "At least one IP address required."}},
        {trace(Rule::AnyListed, "127.0.0.1, ::1||fe80::1:2 10.0.0.254", false), kPass},
        {trace(Rule::AnyListed, "127.0.0.1 gw.test", false), needResolve},
        {trace(Rule::AnyListed, "gw.test;127.0.0.1"), kPass},
        {trace(Rule::NoneListed, "gw.test bad!hop 1.2.3.4.5"),
         {kTraceHops, "Not a valid host name or IP address: [bad!hop]."}},
        {trace(Rule::NoneListed, "1:2:3:4:5:6:7:8:9", false),
         {kTraceHops, "Not a valid host name or IP address: [1:2:3:4:5:6:7:8:9]."}},
        {trace(Rule::NoneListed, "1:2:3:4:5:6:7:8 1:2:3:4:5:6:7", false),
         {kTraceHops, "Not a valid host name or IP address: [1:2:3:4:5:6:7]."}},
        {trace(Rule::AnyListed, "bad!hop", true, "h", 0),
         {kTraceHops, "Not a valid host name or IP address: [bad!hop]."}},
        {trace(Rule::None, "", true, "h", 0),
         {kTraceMaxHops, "Bad value for Max. Hops. Valid range is from 1 to 255."}},
        {trace(Rule::None, "", true, "h", 256),
         {kTraceMaxHops, "Bad value for Max. Hops. Valid range is from 1 to 255."}},
        {trace(Rule::None, "", true, "h", 255, 0),
         {kTraceHopTime, "Bad value for Maximum response time of a hop. Valid range is from 1 to 3600000."}},
        {trace(Rule::None, "", true, "h", 1, 3600000), kPass},
    });
}
