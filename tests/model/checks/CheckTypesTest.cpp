#include "model/checks/CheckTypes.h"
#include "model/checks/DefScanFreqList.h"
#include "model/tree/SnNode.h"

#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>

namespace {

CSnNode Check(std::int32_t type, const char* server = "") {
    CSnNode node;
    node.Cfg.Function.Type = type;
    node.Cfg.Function.ParamServer = server;
    return node;
}

std::string Describe(const CSnNode& node, const char* probe = "", bool multiple = false) {
    return CheckDescription(node, probe, multiple).Str();
}

} // namespace

TEST(CheckTypes, NamesAndReverseLookup) {
    EXPECT_STREQ(CheckTypeName(10), "ICMP Ping");
    EXPECT_STREQ(CheckTypeName(340), "SMPP");
    // 51, 160 and 230 occur only in the scan-frequency list.
    for (std::int32_t type : {0, 1, 51, 160, 230})
        EXPECT_STREQ(CheckTypeName(type), "Unknown") << type;
    EXPECT_STREQ(CheckTypeDialogClass(160), "");

    // Every name resolves back to its own type, and the names are unique.
    std::set<std::string> names;
    for (std::int32_t type : AllCheckTypes()) {
        EXPECT_EQ(CheckTypeFromName(CheckTypeName(type)), type) << type;
        EXPECT_TRUE(names.insert(CheckTypeName(type)).second) << type;
        EXPECT_STRNE(CheckTypeCategory(type), "") << type;
        EXPECT_EQ(std::string(CheckTypeDialogClass(type)).rfind("CDialogType", 0), 0u) << type;
    }

    for (const char* notAType : {"[Windows]", "<select>", "icmp ping", "ICMP Ping ", ""})
        EXPECT_EQ(CheckTypeFromName(notAType), 0) << notAType;
    EXPECT_EQ(CheckTypeFromName("LDAP"), 100);
    EXPECT_EQ(CheckTypeFromName("User/group membership"), 100);
    EXPECT_EQ(VBScriptModeFromName("VBScript"), 0);
    EXPECT_EQ(VBScriptModeFromName("User/group membership"), 1);
    EXPECT_EQ(VBScriptModeFromName("LDAP"), 2);
    EXPECT_EQ(VBScriptModeFromName("PowerShell"), -1);

    CSnNodeCfgFunction script;
    script.Type = 100;
    script.Param2 = "CheckShares";
    EXPECT_EQ(CheckTypeText(script).Str(), "VBScript - CheckShares");
    script.Type = 290;
    EXPECT_EQ(CheckTypeText(script).Str(), "PowerShell");
}

TEST(CheckTypes, ChooserTable) {
    const auto items = CheckTypeChooserItems();
    ASSERT_FALSE(items.empty());
    EXPECT_EQ(items[0].Text.Str() + " " + std::to_string(items[0].Image) + " " + std::to_string(items[0].Level),
              "<select> 1 0");

    // Category headers carry their category's image, every other item resolves to a type.
    int membership = 0;
    std::string headers;
    for (std::size_t i = 1; i < items.size(); ++i) {
        const auto& item = items[i];
        EXPECT_EQ(item.Level, 1);
        if (item.Text.StartsWith("[")) {
            headers += item.Text.Str();
            EXPECT_EQ(item.Image, CheckTypeCategoryImage(item.Text.Mid(1, item.Text.Length() - 2)))
                << item.Text.Str();
            continue;
        }
        EXPECT_EQ(item.Image, -1) << item.Text.Str();
        EXPECT_NE(CheckTypeFromName(item.Text), 0) << item.Text.Str();
        membership += item.Text == "User/group membership" ? 1 : 0;
    }
    EXPECT_EQ(membership, 2);
    EXPECT_EQ(headers, "[Internet Protocols][Windows][Windows Custom Script][Linux / Unix][Databases][Environment]"
                       "[Miscellaneous]");
    // Each type once.
    for (std::int32_t type : AllCheckTypes()) {
        int found = 0;
        for (const auto& item : items)
            found += item.Text == CheckTypeName(type) ? 1 : 0;
        EXPECT_EQ(found, 1) << type;
    }

    EXPECT_EQ(CheckTypeCategoryImage("Something else"), 1);
}

TEST(CheckTypes, DefaultsOfEveryType) {
    struct Expected {
        std::int32_t type;
        const char* codes;
        std::array<const char*, 8> params;
        const char* login = "";
        std::int32_t timeout = 0;
        std::int32_t option = 0;
    };
    // Fields the typed settings do not show (those test the other types' defaults).
    const Expected table[] = {
        {31, "xx0", {"110", "", "", "", "", "", "", ""}, "", 0, 1}, // the option only the raw record shows
        {100, "10", {"<SNROOT>scripts\\monitor (vbs)\\", "", "", "", "", "", "", ""}, "", 900},
        {kTypeCitrixXenApp, "0", {"", "", "", "", "", "", "", ""}}, // the server roles: "0" only
    };
    for (const Expected& e : table) {
        CSnNodeCfgFunction f;
        f.Type = e.type;
        ASSERT_EQ(CheckTypeDefaults(&f), 0);
        const std::array<const CQvcLazyString*, 8> params = {&f.Param1, &f.Param2, &f.Param3, &f.Param4,
                                                         &f.Param5, &f.Param6, &f.Param7, &f.Param8};
        EXPECT_EQ(f.ParamByteCodes.Str(), e.codes) << e.type;
        for (std::size_t i = 0; i < 8; ++i)
            EXPECT_EQ(params[i]->Str(), e.params[i]) << e.type << " Param" << i + 1;
        EXPECT_EQ(f.ParamLogin.Str(), e.login) << e.type;
        EXPECT_EQ(f.ScriptTimeout, e.timeout) << e.type;
        EXPECT_EQ(f.ParamOption, e.option) << e.type;
    }

    // Environmental types: limits and the log format with the kind name.
    const struct {
        std::int32_t type;
        const char* kind;
        const char* limits;
    } environmental[] = {{41, "Temperature", "50.0|90.0"}, {203, "Motion", "0.0|0.0"}, {210, "Wetness", "0.0|60.0"}};
    for (const auto& env : environmental) {
        CSnNodeCfgFunction f;
        f.Type = env.type;
        CheckTypeDefaults(&f);
        EXPECT_EQ(f.ParamByteCodes.Str() + " " + f.Param1.Str() + " " + f.Param3.Str() + " " + f.Param4.Str() + " " +
                      f.Param5.Str(),
                  std::string("xxxxx00 0 ") + env.limits + " 127.0.0.1:80 0||Provider=Microsoft.Jet.OLEDB.4.0;" +
                      "Data Source=<SNROOT>Logs\\Environmental.mdb||" + env.kind + "||<SNROOT>Logs\\" + env.kind +
                      ".txt||");
        EXPECT_STREQ(EnvironmentalKindName(env.type), env.kind);
    }
    EXPECT_STREQ(EnvironmentalKindName(10), "");

    // Every other catalogue type gets its defaults without a refusal.
    for (std::int32_t type : AllCheckTypes()) {
        CSnNodeCfgFunction f;
        f.Type = type;
        EXPECT_EQ(CheckTypeDefaults(&f), 0) << type;
        EXPECT_TRUE(f.ParamServer.IsEmpty() && f.ParamPassword.IsEmpty()) << type;
    }

    // Unknown type: unchanged; missing record: refused.
    CSnNodeCfgFunction unknown;
    unknown.Type = 160;
    unknown.Param1 = "kept";
    EXPECT_EQ(CheckTypeDefaults(&unknown), 0);
    EXPECT_EQ(unknown.Param1.Str(), "kept");
    EXPECT_TRUE(unknown.ParamByteCodes.IsEmpty());
    EXPECT_EQ(CheckTypeDefaults(nullptr), -1);
}

TEST(CheckTypes, ProposedNamesByRule) {
    struct Case {
        std::int32_t type;
        const char* server;
        const char* codes;
        const char* p1;
        const char* p2;
        const char* expected;
        const char* probe = "";
        bool multiple = false;
    };
    const Case cases[] = {
        // The host in its display form (the host list's rule), and the several-hosts
        // placeholder.
        {10, "SERVER1", "", "", "", "Server1 - ICMP Ping"},
        {10, "SERVER1", "", "", "", "<HOSTS> - ICMP Ping", "", true},
        {140, "fs", "", "\\\\fs\\data", "", "Fs - Directory \\\\fs\\data"},
        {130, "db", "0", "", "", "Db - CPU Usage (all CPU's)"},
        {130, "db", "1", "", "2", "Db - CPU Usage (CPU2)"},
        {130, "db", "", "", "2", "Db - CPU Usage (CPU2)"},
        {20, "db", "", "", "D:", "Db - Disk Space of Drive 'D:'"},
        {60, "", "", "\\\\srv\\share\\app.log", "", " - File app.log"},
        {60, "", "", "plain.txt", "", " - File plain.txt"},
        {61, "pc", "", "", "", "Pc - Registry"},
        {34, "ftp.example.com", "", "", "", "ftp.example.com - FTP"},
        {270, "tf", "", "", "", "Tf - TFTP"},
        {310, "sf", "", "", "", "Sf - SFTP"},
        {300, "ra", "", "", "", "Ra - RADIUS"},
        {33, "web", "", "", "", "Web - HTTP(s)"},
        {33, "web", "", "/index.html", "GET", "Web/index.html - HTTP(s)"},
        {190, "app", "0010", "svc.exe", "", "App - Any process consuming too much memory"},
        {190, "app", "0000", "svc.exe", "", "App - Process 'svc.exe'"},
        {190, "app", "00", "svc.exe", "", "App - Process 'svc.exe'"},
        // The serial device keeps the host as typed, even for several hosts.
        {260, "COM1", "", "", "", "COM1 - Serial Device"},
        {260, "COM1", "", "", "", "COM1 - Serial Device", "", true},
        {250, "h", "", "X", "", "H - MS Message Queue (MSMQ) 'X'"},
        {50, "h", "", "X", "", "H - Service 'X'"},
        {320, "h", "", "X", "", "H - Performance Counters 'X'"},
        {220, "h", "", "", "Backup", "H - Scheduled Task 'Backup'"},
        {180, "ps", "", "Laser", "", "Ps - Printer'Laser '"},
        {330, "own", "0", "", "", "Unknown host - Removable Drives"},
        {330, "own", "0", "PC1", "", "PC1 - Removable Drives"},
        {330, "own", "0", "PC1, PC2,PC3", "", "PC1,... - Removable Drives"},
        {330, "own", "110", "PC1", "", "Own - Removable Drives"},
        {75, "isa", "", "Firewall", "", "Isa - Firewall"},
        {37, "sw", "", "", "1.3.6.1", "Sw - SNMP Get( '1.3.6.1' ) "},
        {42, "", "", "", "*", "Receive SNMP Trap from any host, any OID"},
        {42, "*", "", "", "", "Receive SNMP Trap from any host, any OID"},
        {42, "ROUTER", "", "", "1.3.6", "Receive SNMP Trap from Router, OID '1.3.6'"},
        {30, "h", "", "8080", "", "H - TCP/IP port 8080"},
        {240, "", "", "||Quorvane SMTP to POP3 Message", "", " - SMTP to POP3"},
        {240, "", "", "ops@example.com||Probe", "", "ops@example.com - SMTP to POP3"},
        {110, "", "", "Payroll", "", "Payroll - ODBC Connectivity"},
        {112, "", "", "Payroll", "", "Payroll - Oracle Connectivity"},
        // Environmental: the host, then the probe when one is given.
        {41, "SENSOR", "", "", "", "Sensor"},
        {41, "SENSOR", "", "", "", "Sensor / Probe 2", "Probe 2"},
        {210, "s", "", "", "", "<HOSTS>", "", true},
        {999, "x", "", "", "", "X - Unknown"},
    };
    for (const Case& c : cases) {
        CSnNode n = Check(c.type, c.server);
        n.Cfg.Function.ParamByteCodes = c.codes;
        n.Cfg.Function.Param1 = c.p1;
        n.Cfg.Function.Param2 = c.p2;
        EXPECT_EQ(Describe(n, c.probe, c.multiple), c.expected) << c.type << " " << c.server << " " << c.p1;
    }
}

TEST(CheckTypes, DatabaseQueryNames) {
    CSnNode n = Check(111, "");
    auto name = [&n](const char* connection) {
        n.Cfg.Function.Param1 = connection;
        return Describe(n);
    };
    EXPECT_EQ(name("Driver={Microsoft Access Driver (*.mdb)};DBQ=C:\\data\\sales.mdb"),
              "sales.mdb - Database Query (Generic)");
    EXPECT_EQ(name("Driver=x;dbq=sales.mdb;"), "sales.mdb - Database Query (Generic)");
    // "DBQ=" at the very start does not count.
    EXPECT_EQ(name("DBQ=C:\\a.mdb"), "DBQ=C:\\a.mdb - Database Query (Generic)");
    // A password is cut out of an upper-cased text.
    EXPECT_EQ(name("Driver={SQL Server};Server=db1;Uid=sa;Pwd=secret;Database=x;"),
              "DRIVER={SQL SERVER};SERVER=DB1;UID=SA;DATABASE=X - Database Query (Generic)");
    EXPECT_EQ(name("Server=db1;PWD =secret"), "SERVER=DB1 - Database Query (Generic)");
    EXPECT_EQ(name("Server=db1;;;"), "Server=db1 - Database Query (Generic)");
    EXPECT_EQ(name("Server=db1;PWD=x;"), "SERVER=DB1 - Database Query (Generic)");
}

TEST(CheckTypes, ScriptNames) {
    CSnNode n = Check(290, "PSHOST");
    n.Cfg.Function.Param1 = "<SNROOT>scripts\\monitor (ps1)\\disk.ps1||arg";
    EXPECT_EQ(Describe(n), "Pshost - disk.ps1 PowerShell script");
    n.Cfg.Function.ParamServer = "";
    EXPECT_EQ(Describe(n), "disk.ps1 PowerShell script");

    n = Check(100, "WIN1");
    n.Cfg.Function.Param1 = "<SNROOT>scripts\\monitor (vbs)\\Mine.vbs";
    n.Cfg.Function.Param2 = "CheckAll";
    EXPECT_EQ(Describe(n), "CheckAll(...)");
    // A stock script with a first parameter: that parameter, unquoted.
    n.Cfg.Function.Param1 = "<SNROOT>scripts\\monitor (vbs)\\Service.vbs";
    n.Cfg.Function.Param3 = "\"Spooler\"";
    EXPECT_EQ(Describe(n), "Spooler - CheckAll(...)");
    // Xml.vbs and stock scripts without a first parameter: the host.
    n.Cfg.Function.Param1 = "C:\\x\\XML.VBS";
    EXPECT_EQ(Describe(n), "Win1 - CheckAll(...)");
    n.Cfg.Function.Param1 = "Cpu.vbs";
    n.Cfg.Function.Param3 = "";
    EXPECT_EQ(Describe(n), "Win1 - CheckAll(...)");
    n.Cfg.Function.ParamServer = "";
    EXPECT_EQ(Describe(n), "CheckAll(...)");
    // An existing name wins.
    n.Cfg.Name = "  My check ";
    EXPECT_EQ(Describe(n), "  My check ");
    n.Cfg.Name = "   ";
    EXPECT_EQ(Describe(n), "CheckAll(...)");

    for (const char* stock : {"<SNROOT>scripts\\monitor (vbs)\\AntiVirus.vbs", "msexchange.VBS ", "a\\b\\ xml.vbs"})
        EXPECT_TRUE(IsStockScript(stock)) << stock;
    for (const char* other : {"Service.vbs\\other.vbs", "Services.vbs", ""})
        EXPECT_FALSE(IsStockScript(other)) << other;
}

TEST(DefScanFreqList, OrderDefaultsAndRoundTrip) {
    CDefScanFreqList list;
    ASSERT_EQ(list.Items().size(), 71u);
    // 44 sits between 31 and 32; the roles follow 120, 81 right after 70.
    EXPECT_EQ((std::vector<long>{list.Items()[0].Type, list.Items()[6].Type, list.Items()[29].Type,
                                 list.Items()[30].Type, list.Items()[70].Type}),
              (std::vector<long>{1, 44, 70, 81, 290}));

    // Entries missing from the text get 30,1; present ones keep their values.
    list.Parse("10:=60,3;;290:=300,2;;33:=120");
    auto entry = [&list](long type) {
        return std::pair<long, long>(list.Find(type)->Interval, list.Find(type)->ErrorThreshold);
    };
    EXPECT_EQ((std::vector{entry(10), entry(290), entry(33), entry(20)}),
              (std::vector{std::make_pair(60L, 3L), {300L, 2L}, {120L, 1L}, {30L, 1L}}));
    EXPECT_EQ(list.Find(999), nullptr);

    const CQvcString text = list.ToText();
    EXPECT_TRUE(text.StartsWith("1:=30,1;;10:=60,3;;11:=30,1;;"));
    EXPECT_TRUE(text.EndsWith(";;280:=30,1;;290:=300,2"));
    CDefScanFreqList again;
    again.Parse(text);
    EXPECT_EQ(again.ToText(), text);

    // An empty item ends the text: what follows is not read.
    list.Parse("10:=60,3;;;;20:=90,2");
    EXPECT_EQ(list.Find(20)->Interval, 30);

    auto single = [](const char* text, long type) {
        const auto e = DefaultScanFrequency(text, type);
        return std::pair<long, long>(e.Interval, e.ErrorThreshold);
    };
    EXPECT_EQ(single("", 10), std::make_pair(30L, 1L));
    EXPECT_EQ(single("270:=15,4", 270), std::make_pair(15L, 4L));
    EXPECT_EQ(single("12345:=15,4", 12345), std::make_pair(30L, 1L));
    EXPECT_TRUE(list.Set(160, 5, 9));
    EXPECT_FALSE(list.Set(161, 5, 9));
}
