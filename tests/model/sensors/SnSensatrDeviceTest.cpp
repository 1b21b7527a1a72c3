#include "model/sensors/SnSensatrDeviceCfg.h"

#include "LoopbackHttpServer.h"
#include "SensatrPages.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <tuple>
#include <vector>

using namespace std::chrono_literals;
using testsupport::FrontPage;
using testsupport::kXmlConfig;
using testsupport::LoopbackHttpServer;

namespace {

// The unit's fields: name, model, serial, firmware version and date, website, maker.
std::vector<std::string> UnitFields(const CSnSensatrDeviceCfg& unit) {
    return {unit.UnitName().Str(),        unit.Model().Str(),     unit.SerialNumber().Str(),
            unit.FirmwareVersion().Str(), unit.FirmwareReleaseDate().Str(), unit.Website().Str(),
            unit.Manufacturer().Str()};
}

using Probe =
    std::tuple<int, int, std::string, std::string, int>; // id, check type, name, units, temperature unit

std::vector<Probe> Probes(const CSnSensatrDeviceCfg& unit) {
    std::vector<Probe> out;
    for (int i = 0; i < unit.ProbeCount(); ++i) {
        const CSnSensatrProbeCfg& p = *unit.ProbeAt(i);
        out.emplace_back(p.Id(), p.CheckType(), p.ProbeName().Str(), p.Units().Str(), p.TemperatureUnit());
    }
    return out;
}

class SnSensatrDeviceTest : public ::testing::Test {
protected:
    testsupport::ScopedHives hives;
    LoopbackHttpServer server;
    std::string base = server.BaseUrl();
};

} // namespace

TEST_F(SnSensatrDeviceTest, ModelIsDetectedFromTheFrontPageAndTheXmlConfigAnswer) {
    struct Case {
        std::string page;
        int xmlStatus; // 0: no "xmlconfig" route at all (404)
        int model;
    };
    const Case cases[] = {
        {FrontPage("Model E4"), 404, kSensatrE4},
        {FrontPage("Model E4"), 200, kSensatrE4Xml},
        {FrontPage("Model E8"), 0, kSensatrE8},
        {FrontPage("Model E8"), 200, kSensatrE8Xml},
        {FrontPage("Model E16"), 500, kSensatrE16},
        {FrontPage("Model E16"), 200, kSensatrE16Xml},
        {FrontPage("Model EM1"), 0, kSensatrEM1},
        {FrontPage("Model EM1"), 200, kSensatrEM1Xml},
        {FrontPage("Model U4"), 0, kSensatrU4},
        {FrontPage("Model U16"), 0, kSensatrU16},
        {FrontPage("Senturion"), 0, kSensatrSenturion},
        {FrontPage("Model X9"), 200, kSensatrUnsupported},
        // The search order decides for a page that names two models.
        {FrontPage("Model U16 replaces the Model E8"), 200, kSensatrE8Xml},
    };
    for (const Case& c : cases) {
        server.SetPage("/", c.page);
        server.RemoveRoute("/xmlconfig");
        if (c.xmlStatus != 0)
            server.SetPage("/xmlconfig", "<Sensatronics/>", c.xmlStatus);
        server.ClearRequests();

        CSnSensatrDevice device;
        int model = -5;
        CQvcString error("stale");
        // The trailing "/" is added when missing.
        ASSERT_EQ(device.DetectModel(base.substr(0, base.size() - 1).c_str(), model, error), 0) << c.page;
        EXPECT_EQ(model, c.model) << c.page;
        EXPECT_TRUE(error.IsEmpty()) << error.c_str();
        const bool asksForXml = c.model != kSensatrU4 && c.model != kSensatrU16 &&
                                c.model != kSensatrSenturion && c.model != kSensatrUnsupported;
        const std::vector<std::string> requested =
            asksForXml ? std::vector<std::string>{"/", "/xmlconfig"} : std::vector<std::string>{"/"};
        EXPECT_EQ(server.Requests(), requested) << c.page;
    }
    EXPECT_STREQ(CSnSensatrDevice::ModelName(0), "");
    EXPECT_STREQ(CSnSensatrDevice::ModelName(83), "");
}

TEST_F(SnSensatrDeviceTest, FailedRequestsCarryTheirErrorTexts) {
    CSnSensatrDevice device;
    int model = 7;
    CQvcString error, body;

    server.SetPage("/", "gone", 404);
    EXPECT_EQ(device.DetectModel(base.c_str(), model, error), -1);
    EXPECT_EQ(std::make_pair(model, error), std::make_pair(0, CQvcString(("URL [" + base + "]: Error 404").c_str())));

    server.SetPage("/moved", "", 302);
    EXPECT_EQ(device.HttpGet((base + "moved").c_str(), body, error), -1);
    EXPECT_EQ(error, ("URL [" + base + "moved]: Error 302").c_str());

    server.SetPage("/ok", "exact body\r\n\xB0");
    EXPECT_EQ(device.HttpGet((base + "ok").c_str(), body, error), 0);
    EXPECT_EQ(std::make_pair(body, error), std::make_pair(CQvcString("exact body\r\n\xB0"), CQvcString()));

    const std::string closed = "http://127.0.0.1:" + std::to_string(testsupport::UnusedLoopbackPort()) + "/";
    EXPECT_EQ(device.DetectModel(closed.c_str(), model, error), -1);
    EXPECT_TRUE(error.StartsWith("Unable to connect to [" + closed + "]: ")) << error.c_str();
    EXPECT_GT(error.Length(), ("Unable to connect to [" + closed + "]: ").size());

    // Only web addresses are fetched.
    EXPECT_EQ(device.HttpGet("file:///etc/passwd", body, error), -1);
    EXPECT_TRUE(error.StartsWith("Unable to connect to [file:///etc/passwd]: ")) << error.c_str();
    EXPECT_TRUE(body.IsEmpty());
}

TEST_F(SnSensatrDeviceTest, ASlowUnitRunsIntoTheTimeOutInsteadOfHanging) {
    LoopbackHttpServer::Route slow;
    slow.body = FrontPage("Model E8");
    slow.delay = 30s;
    CSnSensatrDevice device;
    device.SetTimeouts(300ms, 600ms);
    int model = 0;
    CQvcString error;

    server.SetRoute("/", slow);
    auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(device.DetectModel(base.c_str(), model, error), -1);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 20s); // far below the unit's 30 s
    EXPECT_TRUE(error.StartsWith("Unable to connect to [" + base + "]: ")) << error.c_str();

    // A front page that answers with an "xmlconfig" that does not: the older firmware.
    server.SetPage("/", FrontPage("Model E8"));
    slow.body = "<Sensatronics/>";
    server.SetRoute("/xmlconfig", slow);
    before = std::chrono::steady_clock::now();
    EXPECT_EQ(device.DetectModel(base.c_str(), model, error), 0);
    EXPECT_EQ(model, kSensatrE8);
    EXPECT_LT(std::chrono::steady_clock::now() - before, 20s);
}

TEST_F(SnSensatrDeviceTest, XmlConfigurationGivesTheUnitAndItsSortedProbes) {
    server.SetPage("/", FrontPage("Model E8"));
    server.SetPage("/xmlconfig", kXmlConfig);
    CSnSensatrDeviceCfg unit;
    CQvcString error;
    ASSERT_EQ(unit.ReadConfiguration(kSensatrE8Xml, base.c_str(), error), 0) << error.c_str();
    EXPECT_TRUE(error.IsEmpty());
    EXPECT_EQ(UnitFields(unit), (std::vector<std::string>{"Server room", "Model E8", "E8-1234", "2.4", "12/31/2007",
                                                          "http://unit.example/", "Sensatronics"}));
    EXPECT_EQ(unit.ModelCode(), kSensatrE8Xml);

    const std::vector<Probe> expected = {
        {1, 41, "Outside", "K", kTempKelvin},
        {2, 205, "Door", "", kTempFahrenheit},
        {3, 200, "Air", "% RH", kTempFahrenheit},
        {6, 206, "Leak", "Ohm", kTempFahrenheit},
        {8, 41, "Rack top", "\xC2\260C", kTempCelsius},
        {11, 204, "Smoke", "", kTempFahrenheit},
        {12, 203, "Motion", "", kTempFahrenheit},
        {13, 207, "Closed", "", kTempFahrenheit},
        {14, 208, "Open", "", kTempFahrenheit},
        {16, 201, "Mains", "", kTempFahrenheit},
        {17, 202, "Lamp", "", kTempFahrenheit},
        {18, 210, "Floor", "", kTempFahrenheit},
        {19, 206, "Strip", "kOhm", kTempFahrenheit},
    };
    EXPECT_EQ(Probes(unit), expected);

    // The same unit with the older firmware: the message names the model, and nothing of
    // the earlier read remains.
    CQvcString modelError;
    EXPECT_EQ(unit.ReadConfiguration(kSensatrE8, base.c_str(), modelError), -1);
    EXPECT_EQ(modelError, "Model E8: firmware does not support xml-based configuration.");
    EXPECT_EQ(unit.ProbeCount(), 0);
    EXPECT_EQ(UnitFields(unit), UnitFields(CSnSensatrDeviceCfg()));
}

TEST_F(SnSensatrDeviceTest, DegreeSignsInEitherEncodingGiveTheTemperatureUnit) {
    // The document's own encoding is the XML reader's business; the unit is read from the
    // converted text.
    CSnSensatrDeviceCfg unit;
    CQvcString error;
    server.SetPage("/xmlconfig",
                   "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n<S><Group>"
                   "<Probe id=\"3\" type=\"Temperature\"><Units>\xB0R</Units></Probe></Group></S>");
    ASSERT_EQ(unit.ReadConfiguration(kSensatrSenturion, base.c_str(), error), 0) << error.c_str();
    ASSERT_EQ(unit.ProbeCount(), 1);
    EXPECT_EQ(unit.ProbeAt(0)->TemperatureUnit(), kTempRankine);
    EXPECT_EQ(unit.ProbeAt(0)->Units(), "\xC2\xB0R");

    // "\260" is the degree sign's byte 0xB0.
    const std::pair<const char*, int> units[] = {
        {"F", kTempFahrenheit},    {"f", kTempFahrenheit},      {"\260C", kTempCelsius},
        {"\xC2\260c", kTempCelsius}, {" K ", kTempKelvin},        {"\xB0r", kTempRankine},
        {"\xB0X", kTempFahrenheit}, {"", kTempFahrenheit},       {"CC", kTempFahrenheit},
        {"\xB0", kTempFahrenheit},  {"\260\260C", kTempFahrenheit}, {"deg C", kTempFahrenheit}};
    for (const auto& [text, unitCode] : units)
        EXPECT_EQ(CSnSensatrProbeCfg::TemperatureUnitFor(text), unitCode) << text;
}

TEST_F(SnSensatrDeviceTest, ConfigurationErrorsAreReportedAndLeaveTheRecordsEmpty) {
    CSnSensatrDeviceCfg unit;
    CQvcString error;
    EXPECT_EQ(unit.ReadConfiguration(0, base.c_str(), error), -1);
    EXPECT_EQ(error, "Unsupported model");
    EXPECT_EQ(unit.ReadConfiguration(999, base.c_str(), error), -1);
    EXPECT_EQ(error, "Unsupported model");

    EXPECT_EQ(unit.ReadConfiguration(kSensatrU16, base.c_str(), error), -1);
    EXPECT_EQ(error, ("URL [" + base + "xmlconfig]: Error 404").c_str());

    server.SetPage("/xmlconfig", "<Sensatronics>\n<Unit><Name>Half</Name>\n");
    EXPECT_EQ(unit.ReadConfiguration(kSensatrU16, base.c_str(), error), -1);
    EXPECT_TRUE(error.StartsWith("Invalid XML format. Line ")) << error.c_str();
    EXPECT_TRUE(unit.UnitName().IsEmpty());

    // A well-formed document of another kind reads as a unit without fields or probes.
    server.SetPage("/xmlconfig", "<Other><Thing/></Other>");
    EXPECT_EQ(unit.ReadConfiguration(kSensatrU16, base.c_str(), error), 0);
    EXPECT_EQ(unit.ProbeCount(), 0);
    EXPECT_TRUE(unit.Model().IsEmpty());
}

TEST_F(SnSensatrDeviceTest, Em1ConfigPageIsConvertedToTheConfigurationDocument) {
    const std::string page = "<html><body><h2>Unit</h2>\n"
                             "Probe 5: temp<br>\n"
                             "Name: Lab &amp; Caf\xC3\xA9<br>\n"
                             "Model: Model EM1<br>\r\n"
                             "Serial Number: EM1-0042<br>\n"
                             "Website: http://em1.example/<br>\n"
                             "Group 1: Main<br>\n"
                             "Probe 2: Humidity, ignored<br>\n"
                             "Probe 1: Temperature, &deg;C<br>\n"
                             "Probe 9: Airflow<br>\n"
                             "<p>Group 3</p><p>Probe 4 = Wetness</p>\n"
                             "</body></html>";
    const std::string expected = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n"
                                 "<Sensatronics id=\"EM1-0042\">\n"
                                 "<Unit>\n"
                                 "<Name>Lab &amp; Caf\xE9</Name>\n"
                                 "<Model>Model EM1</Model>\n"
                                 "<Serial_Number>EM1-0042</Serial_Number>\n"
                                 "<Website>http://em1.example/</Website>\n"
                                 "<Manufacturer>Sensatronics</Manufacturer>\n"
                                 "</Unit>\n"
                                 "<Group id=\"1\">\n"
                                 "<Probe id=\"5\" type=\"Temperature\">\n<Units>F</Units>\n</Probe>\n"
                                 "<Probe id=\"2\" type=\"Humidity\">\n<Units>% RH</Units>\n</Probe>\n"
                                 "<Probe id=\"1\" type=\"Temperature\">\n<Units>\260C</Units>\n</Probe>\n"
                                 "</Group>\n"
                                 "<Group id=\"3\">\n"
                                 "<Probe id=\"4\" type=\"Wetness\">\n<Units></Units>\n</Probe>\n"
                                 "</Group>\n"
                                 "</Sensatronics>\n";
    EXPECT_EQ(CSnSensatrDeviceCfg::ConvertEm1Config(page.c_str()).Str(), expected);

    // Read from the unit: the base address is lower-cased and "config" requested.
    server.SetPage("/config", page);
    CSnSensatrDeviceCfg unit;
    CQvcString error;
    std::string upper = base;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_EQ(unit.ReadConfiguration(kSensatrEM1, upper.substr(0, upper.size() - 1).c_str(), error), 0)
        << error.c_str();
    EXPECT_EQ(server.Requests(), std::vector<std::string>{"/config"});
    EXPECT_EQ(UnitFields(unit), (std::vector<std::string>{"Lab & Caf\xC3\xA9", "Model EM1", "EM1-0042", "", "",
                                                          "http://em1.example/", "Sensatronics"}));
    const std::vector<Probe> probes = {{1, 41, "", "\xC2\260C", kTempCelsius},
                                       {2, 200, "", "% RH", kTempFahrenheit},
                                       {4, 210, "", "", kTempFahrenheit},
                                       {5, 41, "", "F", kTempFahrenheit}};
    EXPECT_EQ(Probes(unit), probes);

    // A page with nothing recognisable still gives a well-formed, empty unit.
    const CQvcString empty = CSnSensatrDeviceCfg::ConvertEm1Config("<html><body>Busy</body></html>");
    EXPECT_NE(empty.Find("<Model>Model EM1</Model>"), -1);
    EXPECT_EQ(empty.Find("<Group"), -1);
}

TEST_F(SnSensatrDeviceTest, ProbeDetectsReadsAndReportsAUnit) {
    server.SetPage("/", FrontPage("Model U16"));
    server.SetPage("/xmlconfig", kXmlConfig);
    CSnSensatrDeviceCfg unit;
    CQvcString error;
    ASSERT_EQ(unit.Probe(base.c_str(), error), 0) << error.c_str();
    EXPECT_EQ(unit.ModelCode(), kSensatrU16);
    const CQvcString report = unit.Report();
    EXPECT_TRUE(report.StartsWith("Detected model: Model U16 (251)\n")) << report.c_str();
    EXPECT_NE(report.Find("Serial_Number          E8-1234\n"), -1) << report.c_str();
    EXPECT_NE(report.Find("Probes: 13\n"), -1);
    EXPECT_NE(report.Find("  Probe 1: check type 41, name \"Outside\", units \"K\", temperature unit K\n"),
              -1);
    EXPECT_NE(report.Find("  Probe 6: check type 206, name \"Leak\", units \"Ohm\"\n"), -1);

    server.SetPage("/", FrontPage("Model E4"));
    server.SetPage("/xmlconfig", "", 404);
    EXPECT_EQ(unit.Probe(base.c_str(), error), -1);
    EXPECT_EQ(error, "Model E4: firmware does not support xml-based configuration.");
    EXPECT_EQ(unit.ProbeCount(), 0);
}
