#include "model/service/ThreadCheckService.h"

CThreadCheckService::CThreadCheckService()
    : CQvcThread("CThreadCheckService", kDefaultPeriodMs), m_control(MakeServiceControl({})) {}

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

void CThreadCheckService::SetServiceControl(std::unique_ptr<ISnServiceControl> control) {
    CQvcLock lock(*this);
    m_control = control ? std::move(control) : MakeServiceControl({});
}

void CThreadCheckService::Work() {
    IQvcWindow* window = nullptr;
    CQvcString computer, serviceName;
    ISnServiceControl* control = nullptr;
    {
        CQvcLock lock(*this);
        window = m_window;
        computer = m_computer;
        serviceName = m_service;
        control = m_control.get();
    }
    // The control is replaced only before Start, so the worker may use it unlocked.
    long state = -1;
    control->PollState(computer, serviceName, state);
    if (window != nullptr)
        window->Post(kQvcCommandMessage,
                     state == ISnServiceControl::kStateStopped ? kCommandServiceStopped : kCommandServiceRunning, 0);
}
