// The checks that work over SSH against the distribution's sshd, started by the test on a
// free port of 127.0.0.1 with a throw-away host key, logging on as the user the test runs
// as with a key made for the test.  Skipped when sshd or ssh-keygen is not installed.
#include "engine/CheckRunner.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include "../runners/RunnerTestSupport.h"
#include "LoopbackSockets.h"
#include "ServerProcess.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>

#include <filesystem>
#include <thread>

using namespace std::chrono_literals;
using runnertest::Describe;
using testsupport::ReadFile;

namespace {

using Kind = CheckOutcome::Kind;
// What a test looks at: the kind, the response's first characters and the data.
using Seen = std::tuple<Kind, std::string, std::string>;
Seen Look(const CheckOutcome& outcome, const Seen& expected) {
    return {outcome.kind, outcome.Response.Str().substr(0, std::get<1>(expected).size()), outcome.Data.Str()};
}

class SshServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string sshd = testsupport::Program("sshd"), keygen = testsupport::Program("ssh-keygen");
        if (sshd.empty() || keygen.empty())
            GTEST_SKIP() << "sshd or ssh-keygen (package openssh-server) is not installed";
        // sshd started by root insists on its privilege separation directory.
        std::error_code error;
        if (::geteuid() == 0 && !std::filesystem::is_directory("/run/sshd") &&
            !std::filesystem::create_directories("/run/sshd", error))
            GTEST_SKIP() << "sshd needs /run/sshd, which cannot be made: " << error.message();
        for (const char* dir : {"engine/scripts/ssh", "own"})
            std::filesystem::create_directories(m_dir.File(dir));
        for (const char* key : {"host", "own/id_ed25519", "stranger"})
            ASSERT_EQ(std::system((keygen + " -q -t ed25519 -N '' -f " + m_dir.File(key)).c_str()), 0);
        std::filesystem::copy_file(m_dir.File("own/id_ed25519.pub"), m_dir.File("authorized_keys"));
        m_port = testsupport::UnusedLoopbackPort();
        testsupport::WriteFile(m_dir.File("sshd_config"),
                               "ListenAddress 127.0.0.1\nPort " + std::to_string(m_port) + "\nHostKey " +
                                   m_dir.File("host") + "\nPidFile none\nAuthorizedKeysFile " +
                                   m_dir.File("authorized_keys") +
                                   "\nStrictModes no\nUsePAM no\nPermitRootLogin yes\n"
                                   "KbdInteractiveAuthentication no\nSubsystem sftp internal-sftp\n");
        m_server = std::make_unique<testsupport::ServerProcess>(
            std::vector<std::string>{sshd, "-D", "-e", "-f", m_dir.File("sshd_config")}, m_dir.File("sshd.log"));
        ASSERT_TRUE(testsupport::Eventually([&] { return testsupport::Accepts(m_port); }, 20s, 50ms))
            << ReadFile(m_dir.File("sshd.log"));
        const passwd* me = ::getpwuid(::geteuid());
        ASSERT_NE(me, nullptr);
        m_user = me->pw_name;
    }

    // An SSH check logging on with the test's key, host keys accepted when new.
    CSnNodeCfg SshCheck(const std::function<void(SshSettings&)>& change) const {
        CSnNodeCfg check = runnertest::MakeCheck(kTypeSsh);
        SshSettings s{"127.0.0.1", m_port, m_user, "", true, m_dir.File("own/id_ed25519"), "true", 10000,
                      true, true, false, ""};
        change(s);
        s.Write(check.Function);
        return check;
    }
    RunContext Context() const {
        RunContext context = runnertest::Context(20s, &m_stop, m_dir.File("engine/"));
        context.SshDirectory = m_dir.File("own");
        return context;
    }
    std::string Peer() const { return "127.0.0.1:" + std::to_string(m_port); }

    testsupport::TempDir m_dir;
    int m_port = 0;
    std::string m_user;
    std::unique_ptr<testsupport::ServerProcess> m_server;
    std::atomic<bool> m_stop{false};
};

} // namespace

TEST_F(SshServerTest, HostKeyRuleThenCommandsKeysAndScriptCopy) {
    // No host key is recorded yet: the strict rule refuses the host, the default records it,
    // and from then on the strict rule accepts it.
    const auto strict = [](SshSettings& s) {
        s.AcceptHostKey = false;
        s.Command = "echo ok";
    };
    const Seen unknown{Kind::Error, "The host key of " + Peer() + " is not known", ""};
    EXPECT_EQ(Look(RunCheck(SshCheck(strict), Context()), unknown), unknown);
    EXPECT_EQ(RunCheck(SshCheck([](SshSettings& s) { s.Command = "true"; }), Context()).kind, Kind::Success);
    EXPECT_NE(ReadFile(m_dir.File("own/known_hosts")).find("ssh-ed25519"), std::string::npos);
    EXPECT_EQ(RunCheck(SshCheck(strict), Context()).kind, Kind::Success);

    testsupport::WriteFile(m_dir.File("engine/scripts/ssh/probe.sh"), "#!/bin/sh\necho \"copied $1\"\n");
    const std::string copied = m_dir.File("copied-probe.sh");
    const std::string refused = Peer() + " refused the log-on as '" + m_user + "' with the key";
    const struct {
        const char* name;
        std::function<void(SshSettings&)> change;
        Seen expected;
    } cases[] = {
        {"output", [](SshSettings& s) { s.Command = "echo first; echo second"; },
         {Kind::Success, "Exit status 0 on " + Peer() + ": 'first'", "first"}},
        {"exit status", [](SshSettings& s) { s.Command = "echo out; echo why >&2; exit 3"; },
         {Kind::Error, "Exit status 3 on " + Peer() + ": 'why'", "out"}},
        {"standard error", [](SshSettings& s) { s.Command = "echo fine; echo warn >&2"; },
         {Kind::Error, "Output on standard error on " + Peer() + ": 'warn'", "fine"}},
        {"standard error allowed",
         [](SshSettings& s) {
             s.Command = "echo fine; echo warn >&2";
             s.ErrorOnStderr = false;
         },
         {Kind::Success, "Exit status 0 on " + Peer() + ": 'fine'", "fine"}},
        {"wrong key", [this](SshSettings& s) { s.KeyFile = m_dir.File("stranger"); }, {Kind::Error, refused, ""}},
        {"wrong password",
         [](SshSettings& s) {
             s.UseKey = false;
             s.Password = "not the password";
         },
         {Kind::Error, Peer() + " refused the log-on as '" + m_user + "' with the password", ""}},
        {"script copied and run",
         [&copied](SshSettings& s) {
             s.CopyScript = true;
             s.LocalScript = "<SNROOT>scripts\\ssh\\probe.sh";
             s.Command = copied + " here";
         },
         {Kind::Success, "Exit status 0 on " + Peer() + ": 'copied here'", "copied here"}},
        {"script outside the script directory",
         [&copied](SshSettings& s) {
             s.CopyScript = true;
             s.LocalScript = "<SNROOT>scripts\\ssh\\..\\probe.sh";
             s.Command = copied;
         },
         {Kind::Uncertain, "The local script '<SNROOT>scripts\\ssh\\..\\probe.sh' is not in", ""}},
    };
    for (const auto& c : cases) {
        const CheckOutcome outcome = RunCheck(SshCheck(c.change), Context());
        EXPECT_EQ(Look(outcome, c.expected), c.expected) << c.name << ": " << Describe(outcome);
    }
    struct stat info {};
    ASSERT_EQ(::stat(copied.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
}

TEST_F(SshServerTest, RemoteShellTypesAndSftpOverTheSameServer) {
    const std::string host = Peer();
    testsupport::WriteFile(m_dir.File("data.txt"), "status: green\n");
    const auto remote = [&](int type, const char* command, bool credentials) {
        CSnNodeCfg check = runnertest::MakeCheck(type);
        check.Function.ParamServer = host;
        check.Function.Param2 = command;
        check.Function.UseCredentials = credentials ? 1 : 0;
        return check;
    };
    const auto sftp = [&](const std::function<void(SftpSettings&)>& change) {
        CSnNodeCfg check = runnertest::MakeCheck(kTypeSftp);
        SftpSettings s{host, 22, m_user, "", m_dir.File("own/id_ed25519"), 10000, m_dir.File("data.txt"), "GREEN",
                       true, false, false, false, false};
        change(s);
        s.Write(check.Function);
        return check;
    };
    const std::string file = "File '" + m_dir.File("data.txt") + "' on " + host;
    const struct {
        const char* name;
        CSnNodeCfg check;
        Seen expected;
    } cases[] = {
        // first, while no host key is recorded (the remote shell types record it)
        {"SFTP unknown host key",
         sftp([](SftpSettings& s) { s.AnyHostKey = false; }),
         {Kind::Error, "The host key of " + host + " is not known", ""}},
        {"RSH", remote(kTypeRsh, "echo rsh", false),
         {Kind::Success, "Exit status 0 on " + host + ": 'rsh' (RSH runs over SSH on this platform)", "rsh"}},
        {"Remote Command", remote(kTypeRemoteCommand, "exit 4", false),
         {Kind::Error, "Exit status 4 on " + host + " (run over SSH on this platform)", ""}},
        {"Remote Command, no stored credentials", remote(kTypeRemoteCommand, "true", true),
         {Kind::Uncertain, "No credentials are stored for '127.0.0.1' (run over SSH on this platform)", ""}},
        {"SFTP log-on", sftp([](SftpSettings&) {}), {Kind::Success, "Logged on to " + host, ""}},
        {"SFTP file present", sftp([](SftpSettings& s) { s.CheckFile = true; }),
         {Kind::Success, file + " exists", ""}},
        {"SFTP file absent",
         sftp([&](SftpSettings& s) {
             s.CheckFile = true;
             s.File = m_dir.File("absent.txt");
         }),
         {Kind::Error, "File '" + m_dir.File("absent.txt") + "' does not exist on " + host, ""}},
        {"SFTP pattern", sftp([](SftpSettings& s) { s.CheckPattern = true; }),
         {Kind::Success, file + " contains 'GREEN'", ""}},
        {"SFTP pattern that must not match",
         sftp([](SftpSettings& s) {
             s.CheckPattern = true;
             s.PatternMustNotMatch = true;
         }),
         {Kind::Error, file + " contains 'GREEN'", ""}},
    };
    for (const auto& c : cases) {
        const CheckOutcome outcome = RunCheck(c.check, Context());
        Seen seen = Look(outcome, c.expected);
        if (std::get<2>(c.expected).empty())
            std::get<2>(seen).clear(); // a time
        EXPECT_EQ(seen, c.expected) << c.name << ": " << Describe(outcome);
    }
}

// A peer that accepts connections and never says a word: every SSH type ends at its
// time-out, and a stop of the engine ends a run with a long time-out at once.
TEST_F(SshServerTest, SilentPeerTimesOutAndStopEndsTheRun) {
    int port = 0;
    const int listener = testsupport::OpenLoopbackSocket(SOCK_STREAM, port);
    ASSERT_GE(listener, 0);
    ASSERT_EQ(::listen(listener, 8), 0);
    const std::string host = "127.0.0.1:" + std::to_string(port);
    const auto check = [&](int type, int timeoutMs) {
        CSnNodeCfg c = runnertest::MakeCheck(type);
        c.Function.ParamServer = host;
        c.Function.Param2 = "true"; // the command of RSH and Remote Command
        (type == kTypeSsh ? c.Function.Param4 : type == kTypeSftp ? c.Function.Param3 : c.Function.Param5) =
            std::to_string(timeoutMs);
        return c;
    };
    for (int type : {kTypeSsh, kTypeRsh, kTypeRemoteCommand, kTypeSftp}) {
        const auto start = std::chrono::steady_clock::now();
        const CheckOutcome outcome = RunCheck(check(type, 400), Context());
        EXPECT_LT(runnertest::SecondsSince(start), 2.0) << type;
        EXPECT_EQ(outcome.kind, Kind::Error) << type;
        EXPECT_NE(outcome.Response.Str().find("no answer within 400 ms"), std::string::npos) << Describe(outcome);
    }
    std::thread stopper([this] {
        std::this_thread::sleep_for(300ms);
        m_stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const CheckOutcome stopped = RunCheck(check(kTypeSsh, 30000), Context());
    stopper.join();
    EXPECT_LT(runnertest::SecondsSince(start), 1.0);
    EXPECT_EQ(Describe(stopped), "Uncertain: Check cancelled: the engine is stopping [] {}");
    ::close(listener);
}
