#include "engine/SshSession.h"

#include "RunnerCommon.h"
#include "engine/NetworkHelpers.h"

#include <libssh/libssh.h>
#include <libssh/sftp.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <condition_variable>
#include <fstream>
#include <iterator>
#include <mutex>
#include <thread>

namespace {

// The largest local script copied to a host.
constexpr std::size_t kMostScriptBytes = 8 * 1024 * 1024;

// Shuts the socket down once the run's deadline passes or the engine stops, so that a
// blocking libssh call on it returns.  Stopped (and joined) before the socket is closed.
class CSocketWatchdog {
public:
    enum class Fired { No, TimedOut, Cancelled };

    CSocketWatchdog(const CRunDeadline& deadline, int fd) : m_deadline(deadline), m_fd(fd), m_thread([this] { Watch(); }) {}
    ~CSocketWatchdog() {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        m_thread.join();
    }
    CSocketWatchdog(const CSocketWatchdog&) = delete;
    CSocketWatchdog& operator=(const CSocketWatchdog&) = delete;

    Fired Why() const { return m_fired.load(); }

private:
    void Watch() {
        std::unique_lock<std::mutex> lock(m_mutex);
        while (!m_done) {
            const Fired why = m_deadline.Cancelled() ? Fired::Cancelled
                              : m_deadline.Expired() ? Fired::TimedOut
                                                     : Fired::No;
            if (why != Fired::No) {
                m_fired = why;
                ::shutdown(m_fd, SHUT_RDWR);
                return;
            }
            m_wake.wait_for(lock, CRunDeadline::kSlice);
        }
    }

    const CRunDeadline& m_deadline;
    const int m_fd;
    std::atomic<Fired> m_fired{Fired::No};
    std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_done = false;
    std::thread m_thread; // last: starts once everything above is ready
};

// Known-hosts files are appended to by runs on several workers.
std::mutex g_knownHostsMutex;

std::string SftpErrorText(sftp_session sftp, ssh_session session) {
    switch (sftp_get_error(sftp)) {
    case SSH_FX_NO_SUCH_FILE:
        return "no such file";
    case SSH_FX_PERMISSION_DENIED:
        return "permission denied";
    case SSH_FX_FAILURE:
        return "the server reported a failure";
    default:
        return ssh_get_error(session);
    }
}

} // namespace

struct CSshSession::State {
    ssh_session Session = nullptr;
    sftp_session Sftp = nullptr;
    std::unique_ptr<CSocketWatchdog> Watchdog;

    ~State() {
        Watchdog.reset(); // before libssh closes the socket the watchdog knows
        if (Sftp != nullptr)
            sftp_free(Sftp);
        if (Session != nullptr) {
            ssh_disconnect(Session);
            ssh_free(Session);
        }
    }
};

CSshSession::CSshSession(const CRunDeadline& deadline) : m_state(std::make_unique<State>()), m_deadline(deadline) {}

CSshSession::~CSshSession() = default;

namespace {

std::string Limit(const CRunDeadline& deadline) {
    return runner::Millis(deadline.Limit().count());
}

} // namespace

// The outcome of a libssh call that failed: the time-out or the stop when the watchdog
// cut the connection, else libssh's own reason.
CheckOutcome CSshSession::Failure(const std::string& what) const {
    const auto why = m_state->Watchdog ? m_state->Watchdog->Why() : CSocketWatchdog::Fired::No;
    if (why == CSocketWatchdog::Fired::Cancelled || m_deadline.Cancelled())
        return runner::Cancelled();
    if (why == CSocketWatchdog::Fired::TimedOut || m_deadline.Expired())
        return CheckOutcome::Error(what + ": no answer within " + Limit(m_deadline));
    const char* reason = m_state->Session != nullptr ? ssh_get_error(m_state->Session) : "";
    return CheckOutcome::Error(what + (reason != nullptr && *reason != '\0' ? std::string(": ") + reason : ""));
}

std::optional<CheckOutcome> CSshSession::StartSftp() {
    if (m_state->Sftp != nullptr)
        return std::nullopt;
    m_state->Sftp = sftp_new(m_state->Session);
    if (m_state->Sftp == nullptr || sftp_init(m_state->Sftp) != SSH_OK)
        return Failure("No SFTP session with " + m_peer);
    return std::nullopt;
}

std::optional<CheckOutcome> CSshSession::Open(const SshLogon& logon) {
    ResolveOutcome resolved = ResolveHost(logon.Host, logon.Port, SOCK_STREAM, AF_UNSPEC, m_deadline);
    if (resolved.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (resolved.Status == NetWait::TimedOut)
        return CheckOutcome::Error("Host '" + logon.Host + "' could not be resolved within " + Limit(m_deadline));
    if (resolved.Status != NetWait::Ready)
        return CheckOutcome::Error("Host '" + logon.Host + "' could not be resolved: " + resolved.Error);
    ConnectOutcome connected = ConnectTcp(resolved.Addresses, m_deadline.End(), m_deadline);
    m_peer = connected.Peer.HostPortText();
    if (connected.Status == NetWait::Cancelled)
        return runner::Cancelled();
    if (connected.Status == NetWait::TimedOut)
        return CheckOutcome::Error("No connection to " + m_peer + " within " + Limit(m_deadline));
    if (connected.Status != NetWait::Ready)
        return CheckOutcome::Error("Cannot connect to " + m_peer + ": " + ErrnoText(connected.Error));

    ssh_session session = m_state->Session = ssh_new();
    if (session == nullptr)
        return CheckOutcome::Uncertain("The SSH library could not start a session");
    const int port = logon.Port;
    const long seconds = static_cast<long>(m_deadline.Remaining().count() / 1000 + 1);
    const bool no = false;
    ssh_options_set(session, SSH_OPTIONS_HOST, logon.Host.c_str());
    ssh_options_set(session, SSH_OPTIONS_PORT, &port);
    ssh_options_set(session, SSH_OPTIONS_PROCESS_CONFIG, &no);
    ssh_options_set(session, SSH_OPTIONS_TIMEOUT, &seconds);
    if (!logon.User.empty())
        ssh_options_set(session, SSH_OPTIONS_USER, logon.User.c_str());
    if (!logon.SshDirectory.empty()) {
        const std::string knownHosts = logon.SshDirectory + "/known_hosts";
        ssh_options_set(session, SSH_OPTIONS_SSH_DIR, logon.SshDirectory.c_str());
        ssh_options_set(session, SSH_OPTIONS_KNOWNHOSTS, knownHosts.c_str());
    }
    // libssh owns the socket from here on and closes it when the session is freed.
    const socket_t fd = connected.Socket.Release();
    ssh_options_set(session, SSH_OPTIONS_FD, &fd);
    m_state->Watchdog = std::make_unique<CSocketWatchdog>(m_deadline, fd);
    if (ssh_connect(session) != SSH_OK)
        return Failure("No SSH connection with " + m_peer);

    switch (logon.HostKeys == SshLogon::HostKeyRule::AcceptAny ? SSH_KNOWN_HOSTS_OK
                                                                : ssh_session_is_known_server(session)) {
    case SSH_KNOWN_HOSTS_OK:
        break;
    case SSH_KNOWN_HOSTS_CHANGED:
        return CheckOutcome::Error("The host key of " + m_peer + " differs from the recorded one: refused");
    case SSH_KNOWN_HOSTS_OTHER:
        return CheckOutcome::Error("The host key of " + m_peer + " is of another type than the recorded one: refused");
    case SSH_KNOWN_HOSTS_NOT_FOUND:
    case SSH_KNOWN_HOSTS_UNKNOWN:
        if (logon.HostKeys != SshLogon::HostKeyRule::AcceptNew)
            return CheckOutcome::Error("The host key of " + m_peer +
                                       " is not known, and the check accepts no new host keys");
        {
            std::lock_guard<std::mutex> lock(g_knownHostsMutex);
            if (ssh_session_update_known_hosts(session) != SSH_OK)
                return CheckOutcome::Uncertain("The new host key of " + m_peer + " could not be recorded: " +
                                               ssh_get_error(session));
        }
        break;
    case SSH_KNOWN_HOSTS_ERROR:
    default:
        return Failure("The host key of " + m_peer + " could not be verified");
    }

    const std::string who = "'" + (logon.User.empty() ? std::string("(the engine's user)") : logon.User) + "'";
    int auth = SSH_AUTH_ERROR;
    std::string how;
    switch (logon.How) {
    case SshLogon::Method::Password:
        how = "with the password";
        auth = ssh_userauth_password(session, nullptr, logon.Password.c_str());
        break;
    case SshLogon::Method::KeyFile: {
        how = "with the key '" + logon.KeyFile + "'";
        ssh_key key = nullptr;
        if (ssh_pki_import_privkey_file(logon.KeyFile.c_str(), logon.Password.empty() ? nullptr : logon.Password.c_str(),
                                        nullptr, nullptr, &key) != SSH_OK)
            return CheckOutcome::Uncertain("The private key file '" + logon.KeyFile + "' cannot be read");
        auth = ssh_userauth_publickey(session, nullptr, key);
        ssh_key_free(key);
        break;
    }
    case SshLogon::Method::OwnKeys:
        how = "with the engine's own keys";
        auth = ssh_userauth_publickey_auto(session, nullptr, nullptr);
        break;
    }
    if (auth == SSH_AUTH_SUCCESS)
        return std::nullopt;
    if (auth == SSH_AUTH_DENIED || auth == SSH_AUTH_PARTIAL)
        return CheckOutcome::Error(m_peer + " refused the log-on as " + who + " " + how);
    return Failure("The log-on to " + m_peer + " as " + who + " failed");
}

std::optional<CheckOutcome> CSshSession::Run(const std::string& command, SshCommandResult& result) {
    ssh_channel channel = ssh_channel_new(m_state->Session);
    if (channel == nullptr)
        return Failure("No command channel on " + m_peer);
    const std::unique_ptr<ssh_channel_struct, void (*)(ssh_channel)> owner(channel, ssh_channel_free);
    if (ssh_channel_open_session(channel) != SSH_OK)
        return Failure("No command channel on " + m_peer);
    if (ssh_channel_request_exec(channel, command.c_str()) != SSH_OK)
        return Failure(m_peer + " did not start the command");
    const auto keep = [](std::string& into, const char* data, int size) {
        const std::size_t room = SshCommandResult::kMostOutput - std::min(into.size(), SshCommandResult::kMostOutput);
        into.append(data, std::min(room, static_cast<std::size_t>(size)));
    };
    char buffer[4096];
    for (;;) {
        // Both reads answer SSH_EOF once the host has sent everything and closed the stream.
        int out = ssh_channel_read_timeout(channel, buffer, sizeof buffer, 0,
                                           static_cast<int>(CRunDeadline::kSlice.count()));
        if (out > 0)
            keep(result.Out, buffer, out);
        int err = out >= 0 || out == SSH_EOF ? ssh_channel_read_nonblocking(channel, buffer, sizeof buffer, 1) : 0;
        if (err > 0)
            keep(result.Err, buffer, err);
        out = out == SSH_EOF ? 0 : out;
        err = err == SSH_EOF ? 0 : err;
        if (out < 0 || err < 0 || (m_deadline.Expired() && !ssh_channel_is_eof(channel)))
            return Failure("The command on " + m_peer + " did not finish");
        if (out == 0 && err == 0 && ssh_channel_is_eof(channel))
            break;
    }
    result.ExitStatus = ssh_channel_get_exit_status(channel);
    if (result.ExitStatus < 0 && (m_deadline.Cancelled() || m_deadline.Expired()))
        return Failure("The command on " + m_peer + " did not finish");
    ssh_channel_close(channel);
    return std::nullopt;
}

namespace {

using SftpFile = std::unique_ptr<sftp_file_struct, int (*)(sftp_file)>;

} // namespace

std::optional<CheckOutcome> CSshSession::Upload(const std::string& localPath, const std::string& remotePath) {
    std::ifstream in(localPath, std::ios::binary);
    std::string content;
    if (in)
        content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof())
        return CheckOutcome::Uncertain("The local script '" + localPath + "' cannot be read");
    if (content.size() > kMostScriptBytes)
        return CheckOutcome::Uncertain("The local script '" + localPath + "' is larger than " +
                                       runner::Bytes(kMostScriptBytes));
    if (auto failed = StartSftp())
        return failed;
    const std::string where = "'" + remotePath + "' on " + m_peer;
    SftpFile file(sftp_open(m_state->Sftp, remotePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, S_IRWXU), sftp_close);
    if (!file)
        return Failure("The script could not be copied to " + where + ": " +
                          SftpErrorText(m_state->Sftp, m_state->Session));
    for (std::size_t at = 0; at < content.size();) {
        const ssize_t wrote = sftp_write(file.get(), content.data() + at, std::min<std::size_t>(content.size() - at, 32768));
        if (wrote <= 0)
            return Failure("The script could not be copied to " + where);
        at += static_cast<std::size_t>(wrote);
    }
    file.reset();
    if (sftp_chmod(m_state->Sftp, remotePath.c_str(), S_IRWXU) != SSH_OK)
        return Failure("The copied script could not be made executable: " + where);
    return std::nullopt;
}

std::optional<CheckOutcome> CSshSession::Fetch(const std::string& remotePath, bool& exists, std::string* content,
                                               std::size_t most) {
    if (auto failed = StartSftp())
        return failed;
    const std::string where = "'" + remotePath + "' on " + m_peer;
    sftp_attributes attributes = sftp_stat(m_state->Sftp, remotePath.c_str());
    if (attributes == nullptr) {
        if (sftp_get_error(m_state->Sftp) == SSH_FX_NO_SUCH_FILE) {
            exists = false;
            return std::nullopt;
        }
        return Failure("The file " + where + " could not be looked up: " +
                          SftpErrorText(m_state->Sftp, m_state->Session));
    }
    sftp_attributes_free(attributes);
    exists = true;
    if (content == nullptr)
        return std::nullopt;
    SftpFile file(sftp_open(m_state->Sftp, remotePath.c_str(), O_RDONLY, 0), sftp_close);
    if (!file)
        return Failure("The file " + where + " could not be opened: " +
                          SftpErrorText(m_state->Sftp, m_state->Session));
    char buffer[32768];
    while (content->size() < most) {
        const ssize_t got = sftp_read(file.get(), buffer, std::min(sizeof buffer, most - content->size()));
        if (got < 0)
            return Failure("The file " + where + " could not be read");
        if (got == 0)
            break;
        content->append(buffer, static_cast<std::size_t>(got));
    }
    return std::nullopt;
}

std::string SshScriptTarget(const std::string& command) {
    const std::size_t start = command.find_first_not_of(" \t");
    if (start == std::string::npos)
        return {};
    std::string file = command.substr(start, command.find_first_of(" \t", start) - start);
    if (file.rfind("~/", 0) == 0)
        file.erase(0, 2);
    return file == "~" ? std::string() : file;
}
