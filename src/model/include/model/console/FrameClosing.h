#pragma once
// Closing the main window while the engine service's watcher runs: the watcher is asked
// to stop, and closing waits for it 100 ms, then polls every 250 ms until it has ended
// or 2 seconds have passed since closing began, so that a watcher stuck in a slow query
// cannot hold the window open.
#include "library/QvcClock.h"
#include "library/QvcThread.h"

#include <chrono>

inline constexpr std::chrono::milliseconds kClosingFirstWait{100};
inline constexpr std::chrono::milliseconds kClosingPoll{250};
inline constexpr std::chrono::milliseconds kClosingLimit{2000};

// True when the worker has stopped (or was not running) when the wait ends.
bool StopWorkerForClosing(CQvcThread& worker, const IQvcClock& clock = QvcSteadyClock());
