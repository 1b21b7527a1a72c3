#pragma once
// The settings of one engine: where it works, how many checks it runs at once, and its
// time limits.  The program fills them from its arguments; tests shorten them.
#include "engine/EngineClock.h"
#include "engine/alerting/AlertQueue.h"
#include "library/QvcString.h"

#include <chrono>
#include <cstddef>

class CEngineLog;

struct EngineOptions {
    // The Engine root (an absolute path; a trailing separator is added when missing).
    CQvcString Root;
    // Checks run at once on the worker pool.  Most checks wait on the network, not on
    // the processor, so there are many more workers than cores.
    std::size_t Workers = 32;
    // The longest a run may take; handed to the runner, which ends the run itself.
    std::chrono::milliseconds RunTimeout{60000};
    // A run still going this long after RunTimeout is given up: it reports Uncertain and
    // its worker is replaced, so that a runner that hangs never holds up other checks.
    std::chrono::milliseconds RunGrace{10000};
    // Finished results are collected and written at most this often.
    std::chrono::milliseconds FlushPeriod{250};
    // The history of results is written to the statistics database this often, by a
    // thread of its own; 0 writes it with the results, on the engine's thread.
    std::chrono::milliseconds HistoryFlushPeriod{5000};
    // The control file and the notification directory are looked at this often.
    std::chrono::milliseconds PollPeriod{1000};
    // On stop, running checks get this long to finish before they are abandoned.
    std::chrono::milliseconds StopWait{3000};
    // Reloads read and flatten the configuration on a thread of their own, so that runs
    // go on meanwhile; off, a reload happens within the pass that asks for it.
    bool BackgroundLoads = false;
    // Lines the activity log keeps.
    std::size_t ActivityLines = 2000;
    // Notification test requests: see CNotificationDesk.
    std::chrono::milliseconds ResponseKeep{60000};
    std::chrono::milliseconds StaleRequest{60000};
    std::chrono::milliseconds OrphanKeep{600000};
    // A check's Reboot action may reboot this computer; off unless the administrator
    // starts the engine with --allow-reboot.
    bool AllowReboot = false;
    // The engine's own SSH keys and known_hosts file (RunContext::SshDirectory); empty:
    // the ~/.ssh directory of the user the engine runs as.
    CQvcString SshDirectory;
    // The delivery queue of alerts (its EngineRoot is the engine's).
    AlertQueueOptions Alerts;
    // Null: the machine's clocks.
    const IEngineClock* Clock = nullptr;
    // Null: no diagnostic log.
    CEngineLog* Log = nullptr;
};
