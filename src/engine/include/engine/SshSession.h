#pragma once
// CSshSession: one SSH connection of a check run (libssh).  The TCP connection is made by
// the engine's own socket helpers, so that a host that never accepts ends at the run's
// deadline; libssh then works on that socket in blocking mode while a watchdog thread
// shuts the socket down when the deadline passes or the engine stops.  Every blocking
// libssh call thus returns within a slice (CRunDeadline::kSlice) of either.
//
// Each step answers std::nullopt when it succeeded, else the run's outcome: Error for
// what the remote side or the network did (refused log-on, unknown host key, time-out),
// Uncertain for what the engine could not do itself (an unreadable key file), and the
// cancelled outcome when the engine stops.
#include "engine/CheckRunner.h"
#include "engine/RunDeadline.h"

#include <memory>
#include <optional>
#include <string>

// Who logs on where, and how.
struct SshLogon {
    std::string Host;
    int Port = 22;
    std::string User;
    enum class Method { Password, KeyFile, OwnKeys };
    // Password: with Password.  KeyFile: with the private key in KeyFile (a native path),
    // Password being its passphrase when it has one.  OwnKeys: with the keys of the
    // engine's own SSH directory and the user's agent.
    Method How = Method::OwnKeys;
    std::string Password;
    std::string KeyFile;
    // Which host keys are accepted.  KnownOnly: only a key recorded in the known_hosts file.
    // AcceptNew: also the key of a host not recorded yet, which is then recorded; a key that
    // differs from the recorded one is refused.  AcceptAny: every key, none recorded.
    enum class HostKeyRule { KnownOnly, AcceptNew, AcceptAny };
    HostKeyRule HostKeys = HostKeyRule::KnownOnly;
    // The engine's own keys (id_ed25519, id_ecdsa, id_rsa) and its known_hosts file; empty
    // for the ~/.ssh directory of the user the engine runs as.
    std::string SshDirectory;
};

// What a command run on the host gave back.
struct SshCommandResult {
    int ExitStatus = -1; // -1 when the host sent none (the command was killed by a signal)
    std::string Out;     // standard output, at most kMostOutput bytes kept
    std::string Err;     // standard error, likewise
    static constexpr std::size_t kMostOutput = 64 * 1024;
};

class CSshSession {
public:
    explicit CSshSession(const CRunDeadline& deadline);
    ~CSshSession();
    CSshSession(const CSshSession&) = delete;
    CSshSession& operator=(const CSshSession&) = delete;

    // Connects, verifies the host's key and logs on.
    std::optional<CheckOutcome> Open(const SshLogon& logon);
    // Runs `command` and collects both streams and the exit status.
    std::optional<CheckOutcome> Run(const std::string& command, SshCommandResult& result);
    // Copies the local file `localPath` over SFTP to `remotePath` (relative paths are
    // taken from the account's home directory) and makes it executable by its owner.
    std::optional<CheckOutcome> Upload(const std::string& localPath, const std::string& remotePath);
    // Over SFTP: whether `remotePath` exists; with `content`, also its first `most` bytes.
    std::optional<CheckOutcome> Fetch(const std::string& remotePath, bool& exists, std::string* content,
                                      std::size_t most);

    // "host:port" as the responses name the peer.
    const std::string& Peer() const { return m_peer; }

private:
    CheckOutcome Failure(const std::string& what) const;
    std::optional<CheckOutcome> StartSftp();

    struct State;
    std::unique_ptr<State> m_state;
    const CRunDeadline& m_deadline;
    std::string m_peer;
};

// The first word of a command line, the file a copied script becomes on the host: "~/"
// at its start is dropped (SFTP paths start in the home directory).  Empty for a command
// that names no file ("", "~", "~/").
std::string SshScriptTarget(const std::string& command);
