#include "model/service/QvcService.h"

#include "platform/EngineService.h"
#include "platform/Registry.h"
#include "platform/System.h"

#include <cerrno>
#include <string>

namespace {

// The states of this platform's controller are the manager's numbers.
static_assert(platform::kServiceStopped == CQvcService::kStateStopped);
static_assert(platform::kServiceStartPending == CQvcService::kStateStartPending);
static_assert(platform::kServiceStopPending == CQvcService::kStateStopPending);
static_assert(platform::kServiceRunning == CQvcService::kStateRunning);

const char* StartOrStopWord(bool start) {
    return start ? "start" : "stop";
}

} // namespace

CQvcService::CQvcService() : CQvcBase("CQvcService") {}

CQvcService::~CQvcService() = default;

void CQvcService::SetEngineRoot(const CQvcString& root) {
    m_engineRoot = root;
}

const IQvcClock& CQvcService::Clock() const {
    return m_clock != nullptr ? *m_clock : QvcSteadyClock();
}

void CQvcService::Wait(std::chrono::milliseconds duration) const {
    if (duration.count() > 0)
        Clock().SleepUntil(Clock().Now() + duration);
}

CQvcString CQvcService::ResolveRoot() const {
    if (!m_engineRoot.IsEmpty())
        return m_engineRoot;
    // The service's registration: where the installation put its Engine root.
    std::string root;
    platform::RegQueryString(platform::Hive::LocalMachine, kProductKey, "Engine0Root", &root);
    return CQvcString(root).Trim();
}

// ---- handles ------------------------------------------------------------------------------

long CQvcService::OpenManager(const CQvcString& computer) {
    CloseHandles();
    if (!IsLocalComputer(computer)) {
        Trace(kTraceFile, "SERVICE: Unable to open the service control manager of computer [%s].",
              computer.c_str());
        return -1;
    }
    m_managerOpen = true;
    m_computer = computer;
    return 0;
}

long CQvcService::OpenService(const CQvcString& service, Access access) {
    CloseService();
    if (!m_managerOpen)
        return -1;
    if (!service.EqualsNoCase(kEngineServiceName)) {
        Trace(kTraceFile, "SERVICE: No service [%s] on this computer.", service.c_str());
        return -1;
    }
    const CQvcString root = ResolveRoot();
    std::unique_ptr<platform::IEngineDaemon> engine =
        m_daemonFactory ? m_daemonFactory(root.Str()) : std::make_unique<platform::EngineService>(root.Str());
    if (root.IsEmpty() || !engine->RootExists()) {
        Trace(kTraceFile, "SERVICE: Service [%s] is not installed (Engine root [%s]).", service.c_str(),
              root.c_str());
        return -1;
    }
    const bool start = access == Access::Start || access == Access::All;
    const bool stop = access == Access::Stop || access == Access::All;
    if ((start && !engine->MayStart()) || (stop && !engine->MayStop())) {
        Trace(kTraceFile, "SERVICE: Access denied to service [%s].", service.c_str());
        return -1;
    }
    m_service = std::move(engine);
    return 0;
}

void CQvcService::CloseService() {
    m_service.reset();
}

long CQvcService::OpenHandles(const CQvcString& computer, const CQvcString& service, bool queryOnly) {
    if (OpenManager(computer) != 0)
        return -1;
    Wait(m_timing.ManagerWait);
    if (OpenService(service, queryOnly ? Access::Query : Access::All) != 0) {
        CloseHandles();
        return -1;
    }
    Wait(m_timing.ServiceWait);
    return 0;
}

void CQvcService::CloseHandles() {
    CloseService();
    m_managerOpen = false;
    m_computer.Empty();
}

// ---- queries --------------------------------------------------------------------------------

long CQvcService::QueryState(long& state) {
    state = -1;
    if (!m_service)
        return -1;
    int error = 0;
    const int now = m_service->QueryState(&error);
    if (now < 0) {
        Trace(kTraceFile, "SERVICE: Unable to query the state (errno %d).", error);
        return -1;
    }
    state = now;
    return 0;
}

long CQvcService::QueryLogonAccount(CQvcString& account) {
    account.Empty();
    if (!m_service)
        return -1;
    account = m_service->LogonAccount();
    return account.IsEmpty() ? -1 : 0;
}

long CQvcService::QueryServiceState(const CQvcString& computer, const CQvcString& service, long& state,
                                    CQvcString* account) {
    state = -1;
    if (account != nullptr)
        account->Empty();
    long result = 0;
    if (OpenManager(computer) != 0) {
        result = kErrorManager;
    } else {
        Wait(m_timing.StepWait);
        if (OpenService(service, Access::Query) != 0) {
            result = kErrorOpenQuery;
        } else {
            Wait(m_timing.StepWait);
            if (QueryState(state) != 0)
                result = kErrorQuery;
            else if (account != nullptr)
                QueryLogonAccount(*account);
        }
    }
    CloseHandles();
    return result;
}

long CQvcService::PollState(const CQvcString& computer, const CQvcString& service, long& state) {
    state = -1;
    long result = -1;
    if (OpenHandles(computer, service, true) == 0) {
        Wait(m_timing.StepWait);
        result = QueryState(state);
    }
    CloseHandles();
    return result;
}

// ---- start or stop --------------------------------------------------------------------------

long CQvcService::StartOrStop(const CQvcString& computer, const CQvcString& service, bool start) {
    Trace(kTraceFile, "SERVICE: Attempting to %s service [%s] on computer [%s]...", StartOrStopWord(start),
          service.c_str(), computer.c_str());
    m_foundAlready = false;
    const long result = [&]() -> long {
        if (OpenManager(computer) != 0)
            return kErrorManager;
        Wait(m_timing.StepWait);
        if (OpenService(service, Access::Query) != 0)
            return kErrorOpenQuery;
        CloseService();
        if (OpenService(service, start ? Access::Start : Access::Stop) != 0)
            return kErrorOpenControl;

        long state = -1;
        if (QueryState(state) != 0)
            return kErrorQuery;
        const long wanted = start ? kStateRunning : kStateStopped;
        if (state == wanted) {
            m_foundAlready = true;
            return 0;
        }

        int refused = start ? m_service->Start() : m_service->Stop();
        if (start && refused == EALREADY && QueryState(state) == 0 &&
            (state == kStateStartPending || state == wanted)) {
            // Another process started it a moment ago: wait for it as for our own.  (One
            // that is stopping refuses the start.)
            m_foundAlready = true;
            refused = 0;
        }
        if (refused != 0) {
            Trace(kTraceFile, "SERVICE: The %s request was refused (errno %d).", StartOrStopWord(start),
                  refused);
            return kErrorOperation;
        }
        const IQvcClock::TimePoint requested = Clock().Now();
        Wait(m_timing.StepWait);
        if (QueryState(state) != 0)
            return kErrorQuery;
        const long pending = start ? kStateStartPending : kStateStopPending;
        const auto limit = start ? m_timing.StartLimit : m_timing.StopLimit;
        while (state == pending && Clock().Now() - requested < limit) {
            Wait(m_timing.PollInterval);
            if (QueryState(state) != 0)
                break;
        }
        return state == wanted ? 0 : kErrorOperation;
    }();
    CloseHandles();
    Trace(kTraceFile, "SERVICE: %s of service [%s] gave %ld.", start ? "Start" : "Stop", service.c_str(),
          result);
    return result;
}

std::unique_ptr<ISnServiceControl> MakeServiceControl(const ServiceControlFactory& factory) {
    if (factory)
        return factory();
    return std::make_unique<CQvcService>();
}

// ---- shared helpers ---------------------------------------------------------------------------

bool CQvcService::IsLocalComputer(const CQvcString& computer) {
    CQvcString name = computer;
    name.Trim();
    name.TrimLeftChar('\\');
    if (name.IsEmpty() || name.EqualsNoCase("localhost") || name.EqualsNoCase("127.0.0.1"))
        return true;
    const std::string host = platform::ComputerName();
    if (host.empty())
        return false;
    return name.EqualsNoCase(host) || name.EqualsNoCase(std::string_view(host).substr(0, host.find('.')));
}
