#include "model/service/ThreadCheckService.h"

CThreadCheckService::CThreadCheckService() : CQvcThread("CThreadCheckService", kDefaultPeriodMs) {}

// Owners stop the watcher before they destroy it; the base's destructor covers a careless
// one.
CThreadCheckService::~CThreadCheckService() = default;

// The settings are taken under the object's lock: the owner writes them before Start, and
// the worker reads them on every round.
void CThreadCheckService::SetWindow(IQvcWindow* window) {
    CQvcLock lock(*this);
    m_window = window;
}

void CThreadCheckService::SetComputerName(const CQvcString& computer) {
    CQvcLock lock(*this);
    m_computer = computer;
}

void CThreadCheckService::SetServiceName(const CQvcString& service) {
    CQvcLock lock(*this);
    m_service = service;
}

void CThreadCheckService::SetEngineRoot(const CQvcString& root) {
    CQvcLock lock(*this);
    m_engineRoot = root;
}

void CThreadCheckService::SetServiceTiming(const CQvcService::Timing& timing) {
    CQvcLock lock(*this);
    m_timing = timing;
}

void CThreadCheckService::SetServiceClock(const IQvcClock* clock) {
    CQvcLock lock(*this);
    m_serviceClock = clock;
}

void CThreadCheckService::Work() {
    IQvcWindow* window = nullptr;
    CQvcString computer, serviceName;
    CQvcService::Timing timing;
    const IQvcClock* clock = nullptr;
    CQvcService service;
    {
        CQvcLock lock(*this);
        window = m_window;
        computer = m_computer;
        serviceName = m_service;
        timing = m_timing;
        clock = m_serviceClock != nullptr ? m_serviceClock : &QvcSteadyClock();
        service.SetEngineRoot(m_engineRoot);
    }
    service.SetTiming(timing);
    service.SetClock(clock);
    long state = -1;
    if (service.OpenHandles(computer, serviceName, true) == 0) {
        clock->SleepUntil(clock->Now() + timing.StepWait);
        service.QueryState(state);
    }
    service.CloseHandles();
    if (window != nullptr)
        window->Post(kQvcCommandMessage,
                     state == CQvcService::kStateStopped ? kCommandServiceStopped : kCommandServiceRunning,
                     0);
}
