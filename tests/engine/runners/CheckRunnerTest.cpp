// The runner table, the exception guard and duration of RunCheck, and the settings each
// runner reads from a check.
#include "RunnerTestSupport.h"
#include "engine/CheckSettings.h"
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

TEST(CheckSettings, NewChecksReadAsDocumented) {
    const IcmpSettings icmp = IcmpSettings::Read(MakeCheck(kTypeIcmpPing).Function);
    EXPECT_EQ(icmp.TimeoutMs, 1000);
    EXPECT_EQ(icmp.Count, 1);
    EXPECT_EQ(icmp.Ttl, 255);
    EXPECT_EQ(icmp.PayloadBytes, 32);

    const TcpSettings tcp = TcpSettings::Read(MakeCheck(kTypeTcpIp).Function);
    EXPECT_EQ(tcp.Port, 80);
    EXPECT_FALSE(tcp.SendText);
    EXPECT_FALSE(tcp.ExpectResponse);
    EXPECT_EQ(tcp.TimeoutMs, 7000);
    const TcpSettings ica = TcpSettings::Read(MakeCheck(kTypeCitrixIca).Function);
    EXPECT_EQ(ica.Port, 1494);
    EXPECT_TRUE(ica.ExpectResponse);
    EXPECT_EQ(ica.Expect, "ICA");
    CSnNodeCfg noPort = MakeCheck(kTypeImap);
    noPort.Function.Param1 = "";
    EXPECT_EQ(TcpSettings::Read(noPort.Function).Port, 143);

    const HttpSettings http = HttpSettings::Read(MakeCheck(kTypeHttp).Function);
    EXPECT_FALSE(http.Https);
    EXPECT_FALSE(http.MatchContent);
    EXPECT_FALSE(http.UseProxy);
    EXPECT_EQ(http.Proxy, "127.0.0.1:80");
    EXPECT_EQ(http.TimeoutSecs, 5);
    EXPECT_TRUE(http.FollowRedirects);
    EXPECT_FALSE(http.AnyCertificate);

    const DnsSettings dns = DnsSettings::Read(MakeCheck(kTypeDns).Function);
    EXPECT_EQ(dns.Type, DnsSettings::Record::A);
    EXPECT_FALSE(dns.RequireAll);
    EXPECT_TRUE(dns.Recursion);

    const DiskSpaceSettings disk = DiskSpaceSettings::Read(MakeCheck(kTypeDiskSpace).Function);
    EXPECT_EQ(disk.Drive, "C:");
    EXPECT_DOUBLE_EQ(disk.Limit, 85);
    EXPECT_FALSE(disk.ErrorBelow);
    EXPECT_FALSE(disk.MeasureFree);
    EXPECT_EQ(disk.LimitUnit, DiskSpaceSettings::Unit::Percent);

    const FileSettings file = FileSettings::Read(MakeCheck(kTypeFile).Function);
    EXPECT_EQ(file.Rule, FileSettings::Condition::Exists);
    EXPECT_FALSE(file.ShouldBeFalse);
    EXPECT_DOUBLE_EQ(file.SizeLimit, 5);
    EXPECT_EQ(file.SizeUnitBytes, 1024 * 1024);

    const DirectorySettings directory = DirectorySettings::Read(MakeCheck(kTypeDirectory).Function);
    EXPECT_EQ(directory.Rule, DirectorySettings::Condition::Exists);
    EXPECT_DOUBLE_EQ(directory.SizeLimit, 1024);
    EXPECT_EQ(directory.MaxFiles, 1000);

    const ProcessSettings process = ProcessSettings::Read(MakeCheck(kTypeProcess).Function);
    EXPECT_FALSE(process.MustNotRun || process.CheckMemory || process.AnyProcessMemory || process.CheckCpu);
    EXPECT_DOUBLE_EQ(process.CpuLimit, 50);
    EXPECT_DOUBLE_EQ(process.MemoryLimitMB, 100);

    const CpuSettings cpu = CpuSettings::Read(MakeCheck(kTypeCpuUsage).Function);
    EXPECT_DOUBLE_EQ(cpu.MaxPercent, 80);
    EXPECT_FALSE(cpu.OneCpu);
    const MemorySettings memory = MemorySettings::Read(MakeCheck(kTypeMemoryUsage).Function);
    EXPECT_DOUBLE_EQ(memory.Limit, 100);
    EXPECT_FALSE(memory.PagesPerSecond);
}

TEST(CheckSettings, OddValuesFallBackOrAreClamped) {
    CSnNodeCfg check = MakeCheck(kTypeIcmpPing);
    auto& f = check.Function;
    f.ParamServer = " \"\\\\Server1\" ";
    f.Param1 = "0";
    f.Param2 = "99";
    f.Param3 = "ttl";
    f.Param4 = " 512 ";
    const IcmpSettings icmp = IcmpSettings::Read(f);
    EXPECT_EQ(icmp.Host, "Server1");
    EXPECT_EQ(icmp.TimeoutMs, 1);
    EXPECT_EQ(icmp.Count, 8);
    EXPECT_EQ(icmp.Ttl, 255);
    EXPECT_EQ(icmp.PayloadBytes, 512);

    EXPECT_EQ(ByteCode("01", 1, 'x'), '1');
    EXPECT_EQ(ByteCode("01", 2, 'x'), 'x');
    EXPECT_EQ(ParamNumber("-5", 3, 1, 10), 1);
    EXPECT_EQ(ParamNumber("12abc", 3, 1, 10), 3);
    EXPECT_DOUBLE_EQ(ParamDecimal("12,5", 0), 12.5);
    EXPECT_DOUBLE_EQ(ParamDecimal(" 7.25 ", 0), 7.25);
    EXPECT_DOUBLE_EQ(ParamDecimal("lots", 85), 85);
    EXPECT_DOUBLE_EQ(ParamDecimal("", 85), 85);

    CSnNodeCfg disk = MakeCheck(kTypeDiskSpace);
    disk.Function.ParamByteCodes = "1f1";
    const DiskSpaceSettings free = DiskSpaceSettings::Read(disk.Function);
    EXPECT_TRUE(free.ErrorBelow);
    EXPECT_TRUE(free.MeasureFree);
    EXPECT_EQ(free.LimitUnit, DiskSpaceSettings::Unit::GB);
}

TEST(CheckSettings, HttpUrlsAndAccounts) {
    CSnNodeCfg check = MakeCheck(kTypeHttp);
    auto& f = check.Function;
    f.ParamServer = "www.example.test:8443";
    f.Param1 = "status";
    f.ParamByteCodes = "1x0x101";
    f.ParamLogin = "monitor";
    f.ParamPassword = CQvcString::Scramble("s3cret");
    f.ParamLogin2 = "proxyuser";
    f.ParamPassword2 = CQvcString::Scramble("pr0xy");
    HttpSettings http = HttpSettings::Read(f);
    EXPECT_EQ(http.Url(), "https://www.example.test:8443/status");
    EXPECT_TRUE(http.WebLogin);
    EXPECT_EQ(http.Login, "monitor");
    EXPECT_EQ(http.Password, "s3cret");
    EXPECT_FALSE(http.UseProxy);
    EXPECT_TRUE(http.ProxyLogin);
    EXPECT_EQ(http.ProxyPassword, "pr0xy");

    f.ParamServer = "http://intranet.test/app";
    f.Param1 = "?page=1";
    http = HttpSettings::Read(f);
    EXPECT_FALSE(http.Https); // the typed scheme wins over the option
    EXPECT_EQ(http.Url(), "http://intranet.test/app?page=1");
    f.ParamServer = "intranet.test";
    f.Param1 = "";
    f.ParamByteCodes = "0x0x00000";
    http = HttpSettings::Read(f);
    EXPECT_EQ(http.Url(), "http://intranet.test/");
    EXPECT_FALSE(http.FollowRedirects);

    CSnNodeCfg dns = MakeCheck(kTypeDns);
    dns.Function.Param2 = "192.0.2.1||192.0.2.2, 192.0.2.3;192.0.2.4\t192.0.2.5";
    EXPECT_EQ(DnsSettings::Read(dns.Function).Expected().size(), 5u);
}
