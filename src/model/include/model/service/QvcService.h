#pragma once
// CQvcService: the Engine's service as the service control manager of its computer shows
// it.  The Engine is the service `QvsSnSvc`; on this platform that service is the
// `sentrelle-engine` daemon of the Engine root (platform::EngineService), and only the
// local computer has a manager to talk to: a remote Engine computer cannot be reached.
//
// Handles: a "manager handle" stands for the opened manager of a computer, a "service
// handle" for the opened service with the rights it was opened with.  Opening the service
// checks those rights the way the system would: starting needs write access to the
// root's run directory, stopping needs the right to signal the daemon.
//
// Every wait of this class goes through its clock and its timing, so tests can shorten or
// skip them; the defaults are the product's.
#include "library/QvcBase.h"
#include "library/QvcClock.h"
#include "model/service/ISnServiceControl.h"

#include <chrono>
#include <memory>

#include <functional>
#include <string>

namespace platform {
class IEngineDaemon;
}

class CQvcService : public CQvcBase, public ISnServiceControl {
public:
    // Rights to open the service with.
    enum class Access { Query, Start, Stop, All };

    struct Timing {
        std::chrono::milliseconds ManagerWait{100};   // OpenHandles: after opening the manager
        std::chrono::milliseconds ServiceWait{200};   // OpenHandles: after opening the service
        std::chrono::milliseconds StepWait{100};      // the other waits of 100 ms
        std::chrono::milliseconds PollInterval{1000}; // between queries while pending
        std::chrono::milliseconds StartLimit{15000};
        std::chrono::milliseconds StopLimit{30000};
    };

    CQvcService();
    ~CQvcService() override;
    CQvcService(const CQvcService&) = delete;
    CQvcService& operator=(const CQvcService&) = delete;

    // --- settings -------------------------------------------------------------------------
    // The Engine root of the service (empty: the machine hive's Engine0Root, read when the
    // service is opened).
    void SetEngineRoot(const CQvcString& root);
    const CQvcString& EngineRoot() const { return m_engineRoot; }
    void SetTiming(const Timing& timing) { m_timing = timing; }
    const Timing& GetTiming() const { return m_timing; }
    // The clock of the waits (null: the machine's steady clock); it must outlive the calls.
    void SetClock(const IQvcClock* clock) { m_clock = clock; }
    // Makes the controller of the daemon of an Engine root (empty: platform::EngineService).
    using DaemonFactory = std::function<std::unique_ptr<platform::IEngineDaemon>(const std::string& root)>;
    void SetDaemonFactory(DaemonFactory factory) { m_daemonFactory = std::move(factory); }

    // --- handles -----------------------------------------------------------------------
    // Opens the manager of `computer` and then `service`, for queries only or with all
    // rights, waiting ManagerWait after the one and ServiceWait after the other.  0, or -1
    // with both handles closed again.
    long OpenHandles(const CQvcString& computer, const CQvcString& service, bool queryOnly);
    // Closes both handles and forgets the computer.
    void CloseHandles();
    bool IsManagerOpen() const { return m_managerOpen; }
    bool IsServiceOpen() const { return m_service != nullptr; }
    // The computer the manager was opened for.
    const CQvcString& Computer() const { return m_computer; }

    // The opened manager alone (no wait): 0 or -1.  The local computer only.
    long OpenManager(const CQvcString& computer);
    // The service on the opened manager, with `access` (no wait): 0 or -1.
    long OpenService(const CQvcString& service, Access access);
    void CloseService();

    // --- queries ------------------------------------------------------------------------
    // 0 with the current state (kState*), or -1 with `state` -1 when no service is open or
    // the query fails.
    long QueryState(long& state);
    // 0 with the account the service runs under (when stopped: the one it would run
    // under), or -1 when no service is open or the account cannot be told.
    long QueryLogonAccount(CQvcString& account);

    // --- operations ---------------------------------------------------------------------
    // Starts (`start`) or stops the service and waits until it gets there: 0, or
    // kErrorManager, kErrorOpenQuery, kErrorOpenControl, kErrorQuery, kErrorOperation.
    // Closes both handles in every case.
    // A start that finds the service starting already (another process launched it) waits
    // for it like its own.
    long StartOrStop(const CQvcString& computer, const CQvcString& service, bool start) override;
    // Whether the last StartOrStop found the service already in the wanted state, or a
    // start already under way through another process, and so launched nothing itself.
    bool FoundAlready() const override { return m_foundAlready; }
    // The state as the Service dialog reads it: open the manager, wait, open the service
    // for queries, wait, query (and the account, when asked for).  0, or kErrorManager,
    // kErrorOpenQuery, kErrorQuery; `state` is -1 on failure.  Closes both handles.
    long QueryServiceState(const CQvcString& computer, const CQvcString& service, long& state,
                           CQvcString* account = nullptr) override;
    // The watcher's look: opened for queries only (ManagerWait, ServiceWait), StepWait
    // more, then the query; 0, or -1 with `state` -1.  Closes both handles.
    long PollState(const CQvcString& computer, const CQvcString& service, long& state) override;

    // --- shared helpers -------------------------------------------------------------------
    // Empty, "localhost", "127.0.0.1" or this machine's name (letter case ignored, a
    // leading "\\" allowed, the short name of this machine as well).
    static bool IsLocalComputer(const CQvcString& computer);

private:
    const IQvcClock& Clock() const;
    void Wait(std::chrono::milliseconds duration) const;
    CQvcString ResolveRoot() const;

    CQvcString m_engineRoot;
    Timing m_timing;
    const IQvcClock* m_clock = nullptr;

    bool m_managerOpen = false;
    CQvcString m_computer;
    DaemonFactory m_daemonFactory;
    std::unique_ptr<platform::IEngineDaemon> m_service;
    bool m_foundAlready = false;
};
