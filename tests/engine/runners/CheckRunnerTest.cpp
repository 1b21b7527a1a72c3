// The runner table, and the guard that settles the exceptions and the duration of a run.
#include "RunnerTestSupport.h"
#include "engine/CpuUsageRunner.h"
#include "engine/DirectoryRunner.h"
#include "engine/DiskSpaceRunner.h"
#include "engine/DnsRunner.h"
#include "engine/FileRunner.h"
#include "engine/HttpRunner.h"
#include "engine/IcmpPingRunner.h"
#include "engine/MemoryUsageRunner.h"
#include "engine/ProcessRunner.h"
#include "engine/TcpRunner.h"
#include "engine/UnsupportedRunner.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <functional>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

template <class Runner> bool Is(int type) {
    const auto runner = CreateCheckRunner(type);
    return dynamic_cast<Runner*>(runner.get()) != nullptr;
}

} // namespace

TEST(CheckRunner, EveryTypeHasItsRunner) {
    EXPECT_TRUE(Is<CIcmpPingRunner>(kTypeIcmpPing));
    for (int type : {kTypeTcpIp, kTypeNntp, kTypeImap, kTypeCitrixIca})
        EXPECT_TRUE(Is<CTcpRunner>(type)) << type;
    EXPECT_TRUE(Is<CHttpRunner>(kTypeHttp));
    EXPECT_TRUE(Is<CDnsRunner>(kTypeDns));
    EXPECT_TRUE(Is<CDiskSpaceRunner>(kTypeDiskSpace));
    EXPECT_TRUE(Is<CFileRunner>(kTypeFile));
    EXPECT_TRUE(Is<CDirectoryRunner>(kTypeDirectory));
    EXPECT_TRUE(Is<CProcessRunner>(kTypeProcess));
    EXPECT_TRUE(Is<CCpuUsageRunner>(kTypeCpuUsage));
    EXPECT_TRUE(Is<CMemoryUsageRunner>(kTypeMemoryUsage));
    for (int type : std::initializer_list<int>{kTypeTraceRoute, kTypeSmtp, kTypeSnmpGet, kTypeVBScript, kTypeEventLog, 1, 0, 999})
        EXPECT_TRUE(Is<CUnsupportedRunner>(type)) << type;
}

TEST(CheckRunner, TypesThisEngineCannotRunAreUncertain) {
    const RunContext context = Context();
    const CheckOutcome snmp = RunCheck(MakeCheck(kTypeSnmpGet), context);
    EXPECT_EQ(snmp.kind, CheckOutcome::Kind::Uncertain);
    EXPECT_EQ(snmp.Response.Str(), "Check type 'SNMP GET' is not supported by this engine");
    EXPECT_EQ(snmp.DurationSecs, 0);
    EXPECT_EQ(RunCheck(MakeCheck(kTypeVBScript), context).Response.Str(),
              "Check type 'VBScript' is not supported by this engine");
    CSnNodeCfg odd;
    odd.Function.Type = 999;
    EXPECT_EQ(RunCheck(odd, context).Response.Str(), "Check type 'Unknown' (999) is not supported by this engine");
}

TEST(CheckRunner, NewChecksOfEveryTypeGiveAnOutcome) {
    // With the defaults of a new check (no host, no path) every type answers at once and
    // says what it found or what is missing.
    const RunContext context = Context(5s);
    for (std::int32_t type : AllCheckTypes()) {
        const auto start = std::chrono::steady_clock::now();
        const CheckOutcome outcome = RunCheck(MakeCheck(type), context);
        EXPECT_FALSE(outcome.Response.IsEmpty()) << CheckTypeName(type);
        EXPECT_GE(outcome.DurationSecs, 0) << CheckTypeName(type);
        EXPECT_LT(SecondsSince(start), 6.0) << CheckTypeName(type);
    }
}

TEST(CheckRunner, GuardedRunTurnsExceptionsIntoUncertainAndFillsTheDuration) {
    using Clock = std::chrono::steady_clock;
    const auto ran = [](CheckOutcome outcome) { return [outcome] { return outcome; }; };
    CheckOutcome own = CheckOutcome::Error("refused");
    own.DurationSecs = 7;
    const struct {
        std::function<CheckOutcome()> run;
        Clock::duration ago;
        CheckOutcome::Kind kind;
        const char* response;
        int duration;
    } cases[] = {
        {[]() -> CheckOutcome { throw std::runtime_error("socket table corrupt"); }, 0ms, CheckOutcome::Kind::Uncertain,
         "The check failed inside the engine: socket table corrupt", 0},
        {[]() -> CheckOutcome { throw 42; }, 0ms, CheckOutcome::Kind::Uncertain, "The check failed inside the engine", 0},
        // The wall time, rounded to whole seconds, unless the runner set its own.
        {ran(CheckOutcome::Success("done")), 1600ms, CheckOutcome::Kind::Success, "done", 2},
        {ran(CheckOutcome::Success("done")), 1400ms, CheckOutcome::Kind::Success, "done", 1},
        {ran(own), 1600ms, CheckOutcome::Kind::Error, "refused", 7},
    };
    for (const auto& c : cases) {
        const CheckOutcome outcome = GuardedRun(c.run, Clock::now() - c.ago);
        EXPECT_EQ(Describe(outcome) + " " + std::to_string(outcome.DurationSecs),
                  Describe(CheckOutcome{c.kind, "", c.response, "", -1}) + " " + std::to_string(c.duration));
    }
}
