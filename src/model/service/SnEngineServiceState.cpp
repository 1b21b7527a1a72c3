#include "model/service/SnEngineServiceState.h"

#include "library/Messages.h"

namespace {

CQvcString Filled(unsigned id) {
    CQvcString text;
    text.Format(MessageText(id), CSnEngineServiceState::kServiceDisplayName);
    return text;
}

} // namespace

bool CSnEngineServiceState::OnCommand(unsigned command, bool writable) {
    if (command == kCmdServiceRunning) {
        OnRunning();
        return true;
    }
    if (command == kCmdServiceStopped) {
        OnStopped(writable);
        return true;
    }
    return false;
}

void CSnEngineServiceState::OnRunning() {
    m_stopped = false;
    m_reported = true;
}

void CSnEngineServiceState::OnStopped(bool writable) {
    m_stopped = true;
    if (m_reported)
        return;
    // Marked before the box opens: the watcher keeps posting while the box's own event
    // loop runs, and those reports must not open a second box.
    m_reported = true;
    if (!writable) {
        m_ui.ShowInformation(Filled(51743));
        return;
    }
    if (m_ui.AskQuestion(Filled(51742)))
        m_ui.OpenServiceDialog(true);
}

CQvcString CSnEngineServiceState::MonitorRefusalText() {
    return Filled(51741);
}
