// sentrelle sensor probe against the loopback server playing a sensor unit.
#include "LoopbackHttpServer.h"
#include "SensatrPages.h"
#include "TestSupport.h"
#include "CliTestRun.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {


} // namespace

TEST(SensorCommand, ProbePrintsModelFieldsAndProbes) {
    testsupport::ScopedHives hives;
    testsupport::LoopbackHttpServer unit;
    unit.SetPage("/", testsupport::FrontPage("Model E8"));
    unit.SetPage("/xmlconfig", testsupport::kXmlConfig);
    CliOutcome o = RunCli({"sensor", "probe", unit.BaseUrl()});
    ASSERT_EQ(o.Code, 0) << o.Err;
    EXPECT_EQ(o.Out.rfind("Detected model: Model E8 (82)\n", 0), 0u) << o.Out;
    EXPECT_NE(o.Out.find("Name                   Server room\n"), std::string::npos);
    EXPECT_NE(o.Out.find("Serial_Number          E8-1234\n"), std::string::npos);
    EXPECT_NE(o.Out.find("Probes: 13\n"), std::string::npos);
    // Sorted by probe ID, the temperature probe with its unit.
    const std::size_t door = o.Out.find("  Probe 2: check type 205, name \"Door\"");
    const std::size_t rack = o.Out.find("  Probe 8: check type 41, name \"Rack top\"");
    ASSERT_NE(door, std::string::npos);
    ASSERT_NE(rack, std::string::npos);
    EXPECT_LT(door, rack);
    EXPECT_NE(o.Out.find(", temperature unit C\n", rack), std::string::npos);
}

TEST(SensorCommand, FailuresAndUsage) {
    testsupport::ScopedHives hives;
    testsupport::LoopbackHttpServer unit;
    unit.SetPage("/", "gone", 404);
    CliOutcome missing = RunCli({"sensor", "probe", unit.BaseUrl()});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_NE(missing.Err.find("sentrelle sensor probe: URL [" + unit.BaseUrl() + "]: Error 404"), std::string::npos)
        << missing.Err;
    EXPECT_TRUE(missing.Out.empty());

    // An older unit without the XML configuration.
    unit.SetPage("/", testsupport::FrontPage("Model E8"));
    CliOutcome old = RunCli({"sensor", "probe", unit.BaseUrl()});
    EXPECT_EQ(old.Code, 1);
    EXPECT_NE(old.Err.find("Model E8: firmware does not support xml-based configuration."), std::string::npos)
        << old.Err;

    EXPECT_EQ(RunCli({"sensor"}).Code, 2);
    EXPECT_EQ(RunCli({"sensor", "probe"}).Code, 2);
    EXPECT_EQ(RunCli({"sensor", "scan", unit.BaseUrl()}).Code, 2);
}
