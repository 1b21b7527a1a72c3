// The runner table and the exception guard and duration of RunCheck.
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
#include <thread>

using namespace runnertest;
using namespace std::chrono_literals;

namespace {

class ThrowingRunner final : public ICheckRunner {
public:
    explicit ThrowingRunner(bool standard) : m_standard(standard) {}
    CheckOutcome Run(const CSnNodeCfg&, const RunContext&) override {
        if (m_standard)
            throw std::runtime_error("socket table corrupt");
        throw 42;
    }

private:
    bool m_standard;
};

class SlowRunner final : public ICheckRunner {
public:
    explicit SlowRunner(int duration) : m_duration(duration) {}
    CheckOutcome Run(const CSnNodeCfg&, const RunContext&) override {
        std::this_thread::sleep_for(1600ms);
        CheckOutcome outcome = CheckOutcome::Success("done");
        outcome.DurationSecs = m_duration;
        return outcome;
    }

private:
    int m_duration;
};

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

TEST(CheckRunner, ExceptionsBecomeUncertainAndDurationIsFilled) {
    const RunContext context = Context();
    const CSnNodeCfg check = MakeCheck(kTypeTcpIp);
    ThrowingRunner standard(true);
    const CheckOutcome failed = RunCheck(standard, check, context);
    EXPECT_EQ(failed.kind, CheckOutcome::Kind::Uncertain);
    EXPECT_EQ(failed.Response.Str(), "The check failed inside the engine: socket table corrupt");
    EXPECT_EQ(failed.DurationSecs, 0);
    ThrowingRunner other(false);
    EXPECT_EQ(RunCheck(other, check, context).Response.Str(), "The check failed inside the engine");

    // The wall time, rounded to whole seconds, unless the runner set its own.
    SlowRunner slow(-1);
    EXPECT_EQ(RunCheck(slow, check, context).DurationSecs, 2);
    SlowRunner own(7);
    EXPECT_EQ(RunCheck(own, check, context).DurationSecs, 7);
}

