// sentrelle sensor probe against the loopback server playing a sensor unit: the report and
// the probe's failures are the model's; here only how the command passes them on.
#include "CliTestRun.h"
#include "LoopbackHttpServer.h"
#include "SensatrPages.h"
#include "TestSupport.h"
#include "model/sensors/SnSensatrDeviceCfg.h"

#include <gtest/gtest.h>

TEST(SensorCommand, ProbePrintsTheUnitsReportAndFailuresExitNonZero) {
    testsupport::ScopedHives hives;
    testsupport::LoopbackHttpServer unit;
    unit.SetPage("/", testsupport::FrontPage("Model E8"));
    unit.SetPage("/xmlconfig", testsupport::kXmlConfig);
    CSnSensatrDeviceCfg direct;
    CQvcString error;
    ASSERT_EQ(direct.Probe(CQvcString(unit.BaseUrl()), error), 0) << error.Str();
    const CliOutcome o = RunCli({"sensor", "probe", unit.BaseUrl()});
    EXPECT_EQ(o.Code, 0) << o.Err;
    EXPECT_EQ(o.Out, direct.Report().Str());

    unit.SetPage("/", "gone", 404);
    const CliOutcome missing = RunCli({"sensor", "probe", unit.BaseUrl()});
    EXPECT_EQ(missing.Code, 1);
    EXPECT_EQ(missing.Err, "sentrelle sensor probe: URL [" + unit.BaseUrl() + "]: Error 404\n");
    EXPECT_TRUE(missing.Out.empty());
    for (const std::vector<std::string>& usage :
         {std::vector<std::string>{"sensor"}, {"sensor", "probe"}, {"sensor", "scan", unit.BaseUrl()}})
        EXPECT_EQ(RunCli(usage).Code, 2);
}
