#pragma once
// CThreadCheckService: the service watcher.  Once per period (5 seconds) it takes a quick
// look at the Engine's service (ISnServiceControl::PollState: opened for queries only,
// the state read, closed again), then posts a command to its window: 197 when the
// service is stopped, 196 in every other case, a failed query included (the watcher
// never reports errors).  The commands travel as kQvcCommandMessage with the command in
// wparam.
//
// The owner sets the window, the computer, the service name and (when it is not the
// product's) the service control before Start; the worker uses its own copies and a
// service control that no other thread touches.
#include "library/QvcThread.h"
#include "model/service/ISnServiceControl.h"

#include <memory>

class CThreadCheckService final : public CQvcThread {
public:
    static constexpr unsigned kCommandServiceRunning = 196;
    static constexpr unsigned kCommandServiceStopped = 197;
    static constexpr unsigned kDefaultPeriodMs = 5000;

    CThreadCheckService();
    ~CThreadCheckService() override;

    void SetWindow(IQvcWindow* window);
    void SetComputerName(const CQvcString& computer);
    void SetServiceName(const CQvcString& service);
    // The control the worker asks (null: a CQvcService); set it before Start.
    void SetServiceControl(std::unique_ptr<ISnServiceControl> control);

protected:
    void Work() override;

private:
    IQvcWindow* m_window = nullptr;
    CQvcString m_computer;
    CQvcString m_service;
    std::unique_ptr<ISnServiceControl> m_control;
};
