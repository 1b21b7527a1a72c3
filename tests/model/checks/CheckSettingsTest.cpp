// The typed settings of the runnable check types: a new check of every type reads back as
// the type's defaults, every field survives Write then Read, and odd stored values fall
// back or are clamped.
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

template <typename S> struct Agreement {
    int type;
    S defaults; // what a new check of the type must read as
    S changed;  // differs from the defaults; together the cases tell every option apart
};

template <typename S> void ExpectAgreement(const Agreement<S>& c) {
    SCOPED_TRACE(c.type);
    CSnNodeCfgFunction fresh;
    fresh.Type = c.type;
    ASSERT_EQ(CheckTypeDefaults(&fresh), 0);
    EXPECT_TRUE(S::Read(fresh) == c.defaults);

    CSnNodeCfgFunction written;
    written.Type = c.type;
    c.changed.Write(written);
    EXPECT_TRUE(S::Read(written) == c.changed);
    EXPECT_FALSE(c.changed == c.defaults);
}

// The defaults with a few fields changed: the options not covered by the full value set.
template <typename S, typename Change> S Changed(Change change) {
    S s;
    change(s);
    return s;
}

CSnNodeCfgFunction Function(int type) {
    CSnNodeCfgFunction f;
    f.Type = type;
    CheckTypeDefaults(&f);
    return f;
}

} // namespace

TEST(CheckSettings, NewChecksReadAsTheirTypeDefaultsAndEveryFieldRoundTrips) {
    using Record = DnsSettings::Record;
    using Disk = DiskSpaceSettings::Unit;
    const long long kb = 1024, gb = 1024LL * 1024 * 1024;
    const auto cases = std::make_tuple(
        Agreement<IcmpSettings>{kTypeIcmpPing, {}, {"127.0.0.2", 250, 3, 64, 0}},
        Agreement<TcpSettings>{kTypeTcpIp, {}, {"::1", 2525, true, "HELO a\r\nQUIT\r\n", true, "250", 900}},
        Agreement<TcpSettings>{
            kTypeNntp, {"", 119, false, "", true, "200", 7000}, {"h", 80, true, "\r\n\r\n", false, "", 1}},
        Agreement<TcpSettings>{
            kTypeImap, {"", 143, false, "", true, "IMAP", 7000}, {"h", 1, false, "x\r\n", false, "", 7000}},
        Agreement<TcpSettings>{
            kTypeCitrixIca, {"", 1494, false, "", true, "ICA", 7000}, {"h", 1495, true, "", true, "", 7000}},
        Agreement<HttpSettings>{kTypeHttp,
                                {},
                                {true, "127.0.0.1:8443", "/status?full=1", true, "OK", "200,300-399", true,
                                 "127.0.0.1:3128", 60, true, "monitor", "s3cret", true, "proxyuser", "pr0xy",
                                 false, true}},
        Agreement<HttpSettings>{
            kTypeHttp, {}, Changed<HttpSettings>([](auto& s) { s.MatchContent = s.AnyCertificate = true; })},
        Agreement<DnsSettings>{
            kTypeDns, {}, {"127.0.0.1:5353", "host.test", "127.0.0.9||127.0.0.8", Record::MX, true, false}},
        Agreement<DnsSettings>{kTypeDns, {}, Changed<DnsSettings>([](auto& s) { s.Type = Record::CNAME; })},
        Agreement<DiskSpaceSettings>{kTypeDiskSpace, {}, {"localhost", "/var", 12.5, true, true, Disk::GB}},
        Agreement<DiskSpaceSettings>{
            kTypeDiskSpace, {}, Changed<DiskSpaceSettings>([](auto& s) { s.LimitUnit = Disk::MB; })},
        Agreement<FileSettings>{
            kTypeFile,
            {},
            {"/tmp/a.log", "error", 0.25, kb, 15, FileSettings::Condition::ChangedWithin, true}},
        Agreement<FileSettings>{kTypeFile, {}, Changed<FileSettings>([gb](auto& s) {
                                    s.SizeUnitBytes = gb;
                                    s.Rule = FileSettings::Condition::Contains;
                                })},
        Agreement<FileSettings>{
            kTypeFile, {}, Changed<FileSettings>([](auto& s) { s.Rule = FileSettings::Condition::MaxSize; })},
        Agreement<DirectorySettings>{
            kTypeDirectory,
            {},
            {"/tmp", 2.5, gb, 7, DirectorySettings::Condition::MaxFiles, true, true, true}},
        Agreement<DirectorySettings>{kTypeDirectory, {}, Changed<DirectorySettings>([kb](auto& s) {
                                         s.SizeUnitBytes = kb;
                                         s.Rule = DirectorySettings::Condition::MaxSize;
                                         s.CountDirectories = true;
                                     })},
        Agreement<ProcessSettings>{kTypeProcess, {}, {".", "sshd", 12.5, 256, "a,b", true, true, true, true}},
        Agreement<ProcessSettings>{
            kTypeProcess, {}, Changed<ProcessSettings>([](auto& s) { s.CheckMemory = true; })},
        Agreement<CpuSettings>{kTypeCpuUsage, {}, {"127.0.0.1", 95.5, true, 3}},
        Agreement<MemorySettings>{kTypeMemoryUsage, {}, {"localhost", 40, true}},
        Agreement<SnmpGetSettings>{kTypeSnmpGet,
                                   {},
                                   {"127.0.0.1", 1161, "private", "1.3.6.1.2.1.1.3.0", ".1.3.6.1.2.1.1.3.0",
                                    "uptime", 9, 5, "100", true, true, 3, "200", true}},
        Agreement<SnmpTrapSettings>{kTypeSnmpTrapReceive,
                                    {},
                                    {"127.0.0.1", "1.3.6.1.6.3.1.1.5.3", false, true, "1.3.6.1.2.1.2.2.1.1",
                                     5, 4, "2", true, 2, "public", true}},
        Agreement<NtpSettings>{kTypeNtp, {}, {"127.0.0.1"}},
        Agreement<SshSettings>{kTypeSsh,
                               {},
                               {"127.0.0.1", 2222, "monitor", "pw", true, "/keys/id", "uptime", 5000, false,
                                false, true, "<SNROOT>scripts\\ssh\\a.sh"}},
        Agreement<RshSettings>{kTypeRsh, {}, {"127.0.0.1", 514, "monitor", "uptime", 9000, false}},
        Agreement<TraceRouteSettings>{kTypeTraceRoute,
                                      {},
                                      {"127.0.0.1", 12, "127.0.0.1||gw.test", 80, false,
                                       TraceRouteSettings::HopRule::NoneListed, false}},
        Agreement<TraceRouteSettings>{kTypeTraceRoute, {}, Changed<TraceRouteSettings>([](auto& s) {
                                          s.Rule = TraceRouteSettings::HopRule::AnyListed;
                                      })},
        Agreement<RadiusSettings>{kTypeRadius, {}, {"127.0.0.1", 1645, "s3cret", 900, "alice", "pw"}},
        Agreement<SmppSettings>{kTypeSmpp, {}, {"127.0.0.1", 2776, "VMS", "esme", "pw", true}},
        Agreement<SmtpSettings>{kTypeSmtp, {}, {"::1", 587, "220", true, false, "mx", "pw"}},
        Agreement<Pop3Settings>{kTypePop3, {}, {"::1", 995, true, "box", "pw"}},
        Agreement<FtpSettings>{
            kTypeFtp, {}, {"h", "u", "pw", "/d", "f", "p", false, true, false, true, true, true}},
        Agreement<TftpSettings>{kTypeTftp, {}, {"h", "f", "p", false, true, true}},
        Agreement<Smtp2Pop3Settings>{kTypeSmtpToPop3,
                                     {},
                                     {"a@b.test", "s||t", "mx:2525", 5, 1, 30, "pop", 995, "u", "p", "su",
                                      "sp", true, false, true, false}},
        Agreement<SftpSettings>{
            kTypeSftp, {}, {"h", 2222, "u", "pw", "/k", 5, "/f", "p", true, false, true, true, true}},
        Agreement<ImapSettings>{kTypeImap, {TcpSettings::ForType(kTypeImap), "", ""}, {{}, "box", "pw"}});
    std::apply([](const auto&... c) { (ExpectAgreement(c), ...); }, cases);

    // A new check keeps the host it already had.
    CSnNodeCfgFunction withHost;
    withHost.Type = kTypeHttp;
    withHost.ParamServer = "127.0.0.1:8080";
    CheckTypeDefaults(&withHost);
    EXPECT_EQ(HttpSettings::Read(withHost).HostPort, "127.0.0.1:8080");
}

TEST(CheckSettings, OddValuesFallBackOrAreClamped) {
    CSnNodeCfgFunction f = Function(kTypeIcmpPing);
    f.ParamServer = " \"\\\\Server1\" ";
    f.Param1 = "0";
    f.Param2 = "99";
    f.Param3 = "ttl";
    f.Param4 = " 512 ";
    EXPECT_TRUE(IcmpSettings::Read(f) == (IcmpSettings{"Server1", 1, 8, 255, 512}));

    EXPECT_EQ(std::string() + ByteCode("01", 1, 'x') + ByteCode("01", 2, 'x'), "1x");
    EXPECT_EQ(std::make_pair(ParamNumber("-5", 3, 1, 10), ParamNumber("12abc", 3, 1, 10)),
              std::make_pair(1, 3));
    EXPECT_EQ((std::vector<double>{ParamDecimal("12,5", 0), ParamDecimal(" 7.25 ", 0),
                                   ParamDecimal("lots", 85), ParamDecimal("", 85)}),
              (std::vector<double>{12.5, 7.25, 85, 85}));

    // Missing numbers and options read as the type's own defaults.
    CSnNodeCfgFunction imap = Function(kTypeImap);
    imap.Param1 = "";
    imap.ParamByteCodes = "";
    EXPECT_TRUE(TcpSettings::Read(imap) == TcpSettings::ForType(kTypeImap));

    CSnNodeCfgFunction disk = Function(kTypeDiskSpace);
    disk.ParamByteCodes = "1f1";
    const DiskSpaceSettings free = DiskSpaceSettings::Read(disk);
    EXPECT_TRUE(free.ErrorBelow && free.MeasureFree);
    EXPECT_EQ(free.LimitUnit, DiskSpaceSettings::Unit::GB);
}

TEST(CheckSettings, HttpUrlsAndAccounts) {
    CSnNodeCfgFunction f = Function(kTypeHttp);
    f.ParamServer = "www.example.test:8443";
    f.Param1 = "status";
    f.ParamByteCodes = "1x0x101";
    f.ParamLogin = "monitor";
    f.ParamPassword = CQvcString::Scramble("s3cret");
    HttpSettings http = HttpSettings::Read(f);
    EXPECT_EQ(http.Url(), "https://www.example.test:8443/status");
    EXPECT_TRUE(http.Password == "s3cret" && !http.UseProxy);

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

    CSnNodeCfgFunction dns = Function(kTypeDns);
    dns.Param2 = "192.0.2.1||192.0.2.2, 192.0.2.3;192.0.2.4\t192.0.2.5";
    EXPECT_EQ(DnsSettings::Read(dns).Expected().size(), 5u);
}
