#include "engine/SshRunner.h"

#include "RunnerCommon.h"
#include "engine/LocalTarget.h"
#include "engine/NetworkHelpers.h"
#include "engine/SshSession.h"
#include "model/checks/CheckSettings.h"
#include "model/checks/CheckTypes.h"

#include <sys/stat.h>

namespace {

// The most of a file read over SFTP while looking for a pattern.
constexpr std::size_t kMostFileBytes = 1024 * 1024;

// The host of a check with its port: a port in the host text wins over `port`.
std::optional<CheckOutcome> Target(const std::string& host, int port, SshLogon& logon) {
    HostAndPort target;
    if (host.empty())
        return CheckOutcome::Uncertain("No host configured");
    if (!SplitHostPort(host, target))
        return CheckOutcome::Uncertain("Host '" + host + "' is not valid");
    logon.Host = target.Host;
    logon.Port = target.Port != 0 ? target.Port : port;
    return std::nullopt;
}

std::string Quoted(const std::string& line) {
    return line.empty() ? std::string() : ": '" + line + "'";
}

// A command's outcome: an exit status other than 0 is an error, and so is output on
// standard error when the check says so.  The data is the first line of standard output.
CheckOutcome CommandOutcome(const std::string& peer, const SshCommandResult& result, bool errorOnStderr) {
    const std::string out = FirstLine(result.Out);
    const std::string err = FirstLine(result.Err);
    const std::string why = err.empty() ? out : err;
    CheckOutcome outcome;
    if (result.ExitStatus < 0)
        outcome = CheckOutcome::Error("The command on " + peer + " ended without an exit status" + Quoted(why));
    else if (result.ExitStatus != 0)
        outcome = CheckOutcome::Error("Exit status " + std::to_string(result.ExitStatus) + " on " + peer + Quoted(why));
    else if (errorOnStderr && !result.Err.empty())
        outcome = CheckOutcome::Error("Output on standard error on " + peer + Quoted(err));
    else
        outcome = CheckOutcome::Success("Exit status 0 on " + peer + (out.empty() ? ", no output" : Quoted(out)));
    outcome.Data = out;
    return outcome;
}

// Connects, logs on and runs the command (after copying `script` to `target` when given).
CheckOutcome RunCommand(const SshLogon& logon, const std::string& command, int timeoutMs, bool errorOnStderr,
                        const RunContext& context, const std::string& script = {}, const std::string& target = {}) {
    const CRunDeadline deadline(context, std::chrono::milliseconds(timeoutMs));
    CSshSession session(deadline);
    if (auto failed = session.Open(logon))
        return *failed;
    if (!script.empty())
        if (auto failed = session.Upload(script, target))
            return *failed;
    SshCommandResult result;
    if (auto failed = session.Run(command, result))
        return *failed;
    return CommandOutcome(session.Peer(), result, errorOnStderr);
}

bool IsBlank(const std::string& text) {
    return text.find_first_not_of(" \t\r\n") == std::string::npos;
}

} // namespace

CheckOutcome CSshRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const SshSettings s = SshSettings::Read(check.Function);
    SshLogon logon;
    if (auto bad = Target(s.Host, s.Port, logon))
        return *bad;
    if (IsBlank(s.Command))
        return CheckOutcome::Uncertain("No command configured");
    logon.User = s.Account;
    logon.How = s.UseKey ? SshLogon::Method::KeyFile : SshLogon::Method::Password;
    logon.Password = s.Password;
    logon.HostKeys = s.AcceptHostKey ? SshLogon::HostKeyRule::AcceptNew : SshLogon::HostKeyRule::KnownOnly;
    logon.SshDirectory = context.SshDirectory.Str();
    std::string why;
    if (s.UseKey && !LocalPathFromStored(s.KeyFile, context.EngineRoot, logon.KeyFile, why))
        return CheckOutcome::Uncertain("Private key file: " + why);
    if (!s.CopyScript)
        return RunCommand(logon, s.Command, s.TimeoutMs, s.ErrorOnStderr, context);

    // The script to copy: only from the SSH script directory, as the dialog requires.
    if (!IsInSshScriptDirectory(s.LocalScript))
        return CheckOutcome::Uncertain("The local script '" + s.LocalScript + "' is not in " + kSshScriptDirectory +
                                       " or one of its subdirectories");
    std::string script;
    if (!LocalPathFromStored(s.LocalScript, context.EngineRoot, script, why))
        return CheckOutcome::Uncertain("Local script: " + why);
    struct stat info {};
    int error = 0;
    if (StatLocalPath(script, info, error) != PathState::Present || !S_ISREG(info.st_mode))
        return CheckOutcome::Uncertain("The local script '" + script + "' does not exist");
    const std::string target = SshScriptTarget(s.Command);
    if (target.empty())
        return CheckOutcome::Uncertain("The command '" + s.Command + "' names no file to copy the local script to");
    CheckOutcome outcome = RunCommand(logon, s.Command, s.TimeoutMs, s.ErrorOnStderr, context, script, target);
    outcome.Comment = "The local script was copied to '" + target + "' first";
    return outcome;
}

CheckOutcome CRemoteShellRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const bool rsh = m_type == kTypeRsh;
    const std::string note = rsh ? " (RSH runs over SSH on this platform)" : " (run over SSH on this platform)";
    std::string host, command;
    int timeoutMs = 0;
    bool errorOnStderr = true;
    SshLogon logon;
    // Neither type has a host key setting: a host's key is recorded when first seen and
    // must not change after that.
    logon.HostKeys = SshLogon::HostKeyRule::AcceptNew;
    logon.SshDirectory = context.SshDirectory.Str();
    bool useCredentials = false;
    int port = 22;
    if (rsh) {
        const RshSettings s = RshSettings::Read(check.Function);
        host = s.Host;
        command = s.Command;
        timeoutMs = s.TimeoutMs;
        errorOnStderr = s.ErrorOnStderr;
        logon.User = s.User;
        if (s.Port != RshSettings{}.Port) // the RSH port itself means nothing to SSH
            port = s.Port;
    } else {
        const RemoteCommandSettings s = RemoteCommandSettings::Read(check.Function);
        host = s.Host;
        command = s.Command;
        timeoutMs = s.TimeoutMs;
        errorOnStderr = s.ErrorOnStderr;
        useCredentials = s.UseCredentials;
    }
    const auto said = [&note](CheckOutcome outcome) {
        outcome.Response += note;
        return outcome;
    };
    if (auto bad = Target(host, port, logon))
        return said(*bad);
    if (IsBlank(command))
        return said(CheckOutcome::Uncertain("No command configured"));
    if (useCredentials) {
        const CSnCfgServerCredentials::Entry* entry =
            context.ServerCredentials ? context.ServerCredentials->Find(CQvcString(logon.Host)) : nullptr;
        if (entry == nullptr)
            return said(CheckOutcome::Uncertain("No credentials are stored for '" + logon.Host + "'"));
        logon.How = SshLogon::Method::Password;
        logon.User = entry->Login.Str();
        logon.Password = CQvcString::Unscramble(entry->Password.Str()).Str();
    }
    CheckOutcome outcome = RunCommand(logon, command, timeoutMs, errorOnStderr, context);
    return context.IsCancelled() ? outcome : said(std::move(outcome));
}

CheckOutcome CSftpRunner::Run(const CSnNodeCfg& check, const RunContext& context) {
    const SftpSettings s = SftpSettings::Read(check.Function);
    SshLogon logon;
    if (auto bad = Target(s.Host, s.Port, logon))
        return *bad;
    logon.User = s.Login;
    logon.How = s.PasswordLogon ? SshLogon::Method::Password : SshLogon::Method::KeyFile;
    logon.Password = s.Password;
    logon.HostKeys = s.AnyHostKey ? SshLogon::HostKeyRule::AcceptAny : SshLogon::HostKeyRule::KnownOnly;
    logon.SshDirectory = context.SshDirectory.Str();
    std::string why;
    if (!s.PasswordLogon && !LocalPathFromStored(s.KeyFile, context.EngineRoot, logon.KeyFile, why))
        return CheckOutcome::Uncertain("Private key file: " + why);
    const bool checkFile = s.CheckFile || s.CheckPattern;
    if (checkFile && IsBlank(s.File))
        return CheckOutcome::Uncertain("No file configured");
    if (s.CheckPattern && s.Pattern.empty())
        return CheckOutcome::Uncertain("No pattern configured");

    const CRunDeadline deadline(context, std::chrono::milliseconds(s.TimeoutMs));
    CSshSession session(deadline);
    if (auto failed = session.Open(logon))
        return *failed;
    const auto took = [&deadline] {
        return FormatMilliseconds(std::chrono::duration_cast<std::chrono::microseconds>(deadline.Elapsed()));
    };
    if (!checkFile)
        return CheckOutcome::Success("Logged on to " + session.Peer() + " as '" + s.Login + "'", took());
    bool exists = false;
    std::string content;
    if (auto failed = session.Fetch(s.File, exists, s.CheckPattern ? &content : nullptr, kMostFileBytes))
        return *failed;
    const std::string file = "File '" + s.File + "' on " + session.Peer();
    if (!exists)
        return CheckOutcome::Error("File '" + s.File + "' does not exist on " + session.Peer());
    if (!s.CheckPattern)
        return CheckOutcome::Success(file + " exists", took());
    const bool found = CQvcString(content).Contains(CQvcString(s.Pattern), false);
    const std::string text = file + (found ? " contains '" : " does not contain '") + s.Pattern + "'";
    return found != s.PatternMustNotMatch ? CheckOutcome::Success(text, took()) : CheckOutcome::Error(text, took());
}
