#pragma once
// CSnEngineServiceState: what the Manager knows about the engine's service, from the
// commands that the service watcher posts every 5 seconds (196 running or unknown, 197
// stopped).  It keeps the service-stopped flag that commands consult, and asks once per
// run to start the service, only when the very first report finds it stopped: a question
// on a writable configuration (Yes opens the Service dialog, which starts it), a notice on
// a read-only one.
#include "library/QvcString.h"
#include "model/service/ISnServiceControl.h"
#include "model/service/ISnServiceStateUi.h"

class CSnEngineServiceState {
public:
    // The commands the watcher posts to the main window.
    static constexpr unsigned kCmdServiceRunning = 196;
    static constexpr unsigned kCmdServiceStopped = 197;
    // The engine's service as the service control knows it, and the name users see.
    static constexpr const char* kServiceName = ISnServiceControl::kEngineServiceName;
    static constexpr const char* kServiceDisplayName = ISnServiceControl::kEngineServiceDisplayName;

    explicit CSnEngineServiceState(ISnServiceStateUi& ui) : m_ui(ui) {}

    // Handles 196 and 197; false for any other command.  `writable` is the
    // configuration-writable flag of the application.
    bool OnCommand(unsigned command, bool writable);
    // 196: the service runs (or its state could not be read).
    void OnRunning();
    // 197: the service is stopped.
    void OnStopped(bool writable);

    bool IsStopped() const { return m_stopped; }
    bool HasReported() const { return m_reported; }
    // 51741, filled with the display name: why "Monitor Selected Check(s) now" refuses
    // while the service is stopped.
    static CQvcString MonitorRefusalText();

private:
    ISnServiceStateUi& m_ui;
    bool m_stopped = false;
    bool m_reported = false;
};
