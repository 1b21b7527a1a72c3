#pragma once
// CThreadCheckService: the service watcher.  Once per period (5 seconds) it opens the
// Engine's service for queries only, waits 100 ms, reads its state and closes it again,
// then posts a command to its window: 197 when the service is stopped, 196 in every
// other case, a failed query included (the watcher never reports errors).  The commands
// travel as kQvcCommandMessage with the command in wparam.
//
// The owner sets the window, the computer and the service name (and, when it is not the
// installation's, the Engine root) before Start; the worker uses its own copies and its
// own service handles only.
#include "library/QvcThread.h"
#include "model/service/QvcService.h"

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
    // Empty (the default): the machine hive's Engine0Root.
    void SetEngineRoot(const CQvcString& root);
    // The waits of the service handles (tests shorten them); the clock must outlive the
    // worker.
    void SetServiceTiming(const CQvcService::Timing& timing);
    void SetServiceClock(const IQvcClock* clock);

protected:
    void Work() override;

private:
    IQvcWindow* m_window = nullptr;
    CQvcString m_computer;
    CQvcString m_service;
    CQvcString m_engineRoot;
    CQvcService::Timing m_timing;
    const IQvcClock* m_serviceClock = nullptr;
};
