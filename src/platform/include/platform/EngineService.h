#pragma once
// The engine daemon of one Engine root, controlled the way a service manager controls a
// service: its state, its start, its stop and the account it runs under.
//
// The daemon is the program `sentrelle-engine`, run as `sentrelle-engine --root <root>`.
// While it lives it holds an exclusive fcntl lock on the whole pid file
// <root>/Sys/Run/QvsSnSvc.pid, and it writes its pid there (decimal and a line break)
// once it is ready.  On SIGTERM it stops, removes the pid file and exits.  So:
//
//   pid file locked, holding the locker's pid              -> running
//   pid file locked, no (or another) pid written yet       -> start pending
//   not locked (or no pid file)                            -> stopped
//
// The lock is asked for with F_GETLK, which names the live process that holds it: a
// stale pid file left by a crash, or a pid that the system has handed to another program
// since, never counts as running.  Two moments escape the lock, and small marker files
// beside the pid file cover them, so that every process that looks (a Manager, the
// command-line tool) sees the same state:
//   QvsSnSvc.starting  the daemon that Start launched, until it has taken the lock:
//                      start pending while that process lives;
//   QvsSnSvc.stopping  the daemon that Stop signalled: stop pending while that process
//                      lives, even though it still holds the lock.
// A marker names its process by pid and start time, so a reused pid never matches, and a
// zombie counts as gone.
//
// Start launches the daemon without a shell, in a session of its own, with standard
// input and output on /dev/null, in the root directory "/", and detached: it is the
// grandchild of the caller, so the caller never has to reap it.
#include <string>

namespace platform {

// Service states, in the numbers that the product's service control has always used.
// The daemon cannot be paused, so the pause states (5 continue pending, 6 pause pending,
// 7 paused) never occur here.
constexpr int kServiceStopped = 1;
constexpr int kServiceStartPending = 2;
constexpr int kServiceStopPending = 3;
constexpr int kServiceRunning = 4;

// What a service control needs of the daemon of one Engine root (EngineService below is
// the real one; tests of the service control script their own).
class IEngineDaemon {
public:
    virtual ~IEngineDaemon() = default;
    virtual bool RootExists() const = 0;
    virtual int QueryState(int* error) const = 0;
    virtual bool MayStart() const = 0;
    virtual bool MayStop() const = 0;
    virtual int Start() = 0;
    virtual int Stop() = 0;
    virtual std::string LogonAccount() const = 0;
};

class EngineService final : public IEngineDaemon {
public:
    // The name of the engine program, and the variable that names another program to run
    // in its place (tests run a stand-in daemon this way).
    static constexpr const char* kBinaryName = "sentrelle-engine";
    static constexpr const char* kBinaryVariable = "SENTRELLE_ENGINE_BINARY";

    // `root`: the Engine root as a native path, with or without a trailing separator.
    explicit EngineService(std::string root);

    const std::string& Root() const { return m_root; }
    // <root>/Sys/Run/QvsSnSvc.pid
    std::string PidFilePath() const;
    // True when the root is an existing directory (the service is "installed").
    bool RootExists() const override;

    // The engine program: $SENTRELLE_ENGINE_BINARY when it is set and not empty (taken as
    // it is), else an executable `sentrelle-engine` next to the running program, else the
    // first one on PATH; empty when there is none.
    static std::string FindEngineBinary();

    // The current state (kService*), or -1 when it cannot be learnt (the root is gone, the
    // pid file cannot be read); `error`, when given, receives the errno of a failure.
    int QueryState(int* error = nullptr) const override;
    // The daemon's pid: the holder of the lock, else the process that Start launched while
    // it starts up; 0 when there is none.
    int DaemonPid() const;

    // Whether this process has the rights to start the daemon (it can write in Sys/Run, or
    // in the root when Sys/Run is missing) or to stop it (it may signal the daemon; true
    // when none runs).
    bool MayStart() const override;
    bool MayStop() const override;

    // Launches the daemon; 0, or an errno: EALREADY when one already runs or starts,
    // ENOENT when no engine program is found, or what creating or running it gave.
    // Starts of several processes at once are serialised on an fcntl lock on
    // Sys/Run/QvsSnSvc.pid.startlock held until the starting marker is written: one of
    // them launches, the others get EALREADY.
    int Start() override;
    // Sends SIGTERM to the daemon; 0, or an errno: ESRCH when none runs, EPERM without the
    // right to signal it.
    int Stop() override;

    // The user the daemon runs as; when none runs, the user that Start would run it as
    // (the user of this process).  Empty when it cannot be told.
    std::string LogonAccount() const override;

private:
    // A process named by its pid and start time.
    struct ProcessIdentity {
        int Pid = 0;
        unsigned long long StartTime = 0;
    };
    struct LockProbe;

    std::string MarkerPath(const char* suffix) const;
    // The identity in a marker file, or in the copy this object keeps, when that process
    // still lives.
    ProcessIdentity LiveMarker(const char* suffix, const ProcessIdentity& remembered) const;
    void WriteMarker(const char* suffix, const ProcessIdentity& who) const;
    LockProbe ProbeLock() const;

    std::string m_root;
    // What this object did itself, for when the marker files cannot be written.
    ProcessIdentity m_launched;
    ProcessIdentity m_signalled;
};

} // namespace platform
