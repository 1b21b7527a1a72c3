#include "library/QvcThread.h"

#include "library/ErrorReport.h"
#include "library/QvcMessageQueue.h"

#include <dlfcn.h>

#include <algorithm>
#include <condition_variable>
#include <system_error>

using namespace std::chrono_literals;

namespace {

// Periods shorter than this make the work's timing depend on how busy the machine is.
constexpr unsigned kShortestSafePeriodMs = 500;
// How often Start and Stop look at the state while they wait for it.
constexpr auto kStatePollInterval = 200ms;

} // namespace

// One run of a worker thread, from Start to its end.  The thread holds its own reference,
// so a worker that a Kill had to abandon never touches the queue or the flags of a later
// run of the same object.
struct CQvcThread::Run {
    CQvcMessageQueue queue;
    const IQvcClock* clock = nullptr;
    std::chrono::milliseconds startDelay{0};
    std::chrono::milliseconds period{0};

    // Written under the object's lock; read anywhere.
    std::atomic<bool> killed{false};
    // Set (under the object's lock) when the worker has begun its own orderly end and
    // will run the stopped hook itself.
    bool stopping = false;

    std::mutex mutex;
    std::condition_variable cv; // wakes the start delay and waiters for `finished`
    bool finished = false;

    // Wakes every wait of the worker so that it sees `killed`.
    void Wake() {
        { std::lock_guard lock(mutex); }
        cv.notify_all();
        queue.Close();
    }
    bool IsFinished() {
        std::lock_guard lock(mutex);
        return finished;
    }
    bool WaitFinished(std::chrono::milliseconds wait) {
        std::unique_lock lock(mutex);
        return cv.wait_for(lock, wait, [this] { return finished; });
    }
    void WaitFinished() {
        std::unique_lock lock(mutex);
        cv.wait(lock, [this] { return finished; });
    }
};

CQvcThread::CQvcThread(const char* name, unsigned periodMs)
    : CQvcBase(name), m_periodMs(periodMs),
      m_controlMessage(QvcRegisterWindowMessage((CQvcString("WM_") + CQvcString(name)).c_str())),
      m_creatorThreadId(std::this_thread::get_id()) {
    if (periodMs < kShortestSafePeriodMs)
        ReportError("QvcThread", __LINE__, "Potential Timer problems");
}

// Owners stop or kill their workers first.  For one that is still running, the destructor
// makes the worker leave its loop after the step it is in (no further work, handler or
// hook runs) and joins it; it also waits for workers that a Kill abandoned, because they
// still run code of this object.  What it cannot make safe is a worker that is inside
// Work or a handler of a derived class whose members are already destroyed: derived
// classes with such members stop the worker in their own destructor.
CQvcThread::~CQvcThread() {
    std::lock_guard control(m_control);
    std::shared_ptr<Run> run;
    {
        CQvcLock lock(*this);
        run = m_run;
        if (run)
            run->killed = true;
    }
    if (run)
        run->Wake();
    JoinWorker();
    for (const auto& abandoned : m_abandoned)
        abandoned->WaitFinished();
    ReleaseModule();
}

const char* CQvcThread::StateName(int state) {
    switch (state) {
    case kThreadStopped:
        return "STOPPED";
    case kThreadStopPending:
        return "STOPPENDING";
    case kThreadPaused:
        return "PAUSED";
    case kThreadStarted:
        return "STARTED";
    case kThreadStartPending:
        return "STARTPENDING";
    case kThreadPausePending:
        return "PAUSEPENDING";
    case kThreadResumePending:
        return "RESUMEPENDING";
    default:
        return "UNKNOWN";
    }
}

int CQvcThread::State() const {
    CQvcLock lock(*this);
    return m_state;
}

std::thread::id CQvcThread::WorkerThreadId() const {
    CQvcLock lock(*this);
    return m_workerThreadId;
}

void CQvcThread::SetClock(const IQvcClock* clock) {
    CQvcLock lock(*this);
    m_clock = clock;
}

void CQvcThread::SetStartDelay(std::chrono::milliseconds delay) {
    CQvcLock lock(*this);
    m_startDelay = std::max(delay, 0ms);
}

void CQvcThread::SetKillWait(std::chrono::milliseconds wait) {
    CQvcLock lock(*this);
    m_killWait = std::max(wait, 0ms);
}

void CQvcThread::SetModuleHandle(void* handle) {
    CQvcLock lock(*this);
    m_module = handle;
}

const IQvcClock& CQvcThread::Clock() const {
    CQvcLock lock(*this);
    return m_clock ? *m_clock : QvcSteadyClock();
}

void CQvcThread::SetState(int state) {
    CQvcLock lock(*this);
    m_state = state;
    Trace(kTraceFile, "THREAD: State set to: [%s].", StateName(state));
}

bool CQvcThread::SetStateFromWorker(const Run& run, int state) {
    CQvcLock lock(*this);
    if (run.killed)
        return false;
    SetState(state);
    return true;
}

void CQvcThread::OnStarted() {
    m_initialised = true;
}

void CQvcThread::OnStopped() {
    ReleaseModule();
    m_initialised = false;
}

void CQvcThread::ReleaseModule() {
    void* module = nullptr;
    {
        CQvcLock lock(*this);
        std::swap(module, m_module);
    }
    if (module)
        ::dlclose(module);
}

void CQvcThread::JoinWorker() {
    if (m_thread.joinable())
        m_thread.join();
    CQvcLock lock(*this);
    m_workerThreadId = std::thread::id();
}

bool CQvcThread::PostControl(unsigned code, std::intptr_t arg) {
    std::shared_ptr<Run> run;
    {
        CQvcLock lock(*this);
        run = m_run;
    }
    return run && run->queue.Post(m_controlMessage, code, arg);
}

bool CQvcThread::WaitForState(int state, unsigned waitMs) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        if (State() == state)
            return true;
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            return false;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kStatePollInterval, deadline - now));
    }
}

// --- the owner's side -----------------------------------------------------------------

int CQvcThread::Start(unsigned waitMs) {
    std::lock_guard control(m_control);
    Trace(kTraceFile, "THREAD: Attempting to start...");
    {
        CQvcLock lock(*this);
        if (m_state == kThreadStarted) {
            Trace(kTraceFile, "THREAD: Already started.");
            return 0;
        }
        if (m_state != kThreadStopped) {
            Trace(kTraceFile, "THREAD: Failed to start, thread is not in STOP(%d) state.", m_state);
            return -1;
        }
    }
    // A worker that stopped on its own has set STOPPED as its last act: joining is quick.
    JoinWorker();

    auto run = std::make_shared<Run>();
    {
        CQvcLock lock(*this);
        run->clock = m_clock ? m_clock : &QvcSteadyClock();
        run->startDelay = m_startDelay;
        // At least 1 ms between runs, so that a period of 0 cannot spin the worker.
        run->period = std::chrono::milliseconds(std::max(m_periodMs, 1u));
        m_run = run;
        SetState(kThreadStartPending);
    }
    try {
        m_thread = std::thread([this, run] { ThreadBody(run); });
    } catch (const std::system_error&) {
        {
            CQvcLock lock(*this);
            m_run.reset();
            SetState(kThreadStopped);
        }
        Trace(kTraceFile, "THREAD: Failed to start thread, thread could not be created.");
        return -1;
    }
    {
        CQvcLock lock(*this);
        m_workerThreadId = m_thread.get_id();
    }
    Trace(kTraceFile, "THREAD: Thread is starting.");
    if (waitMs > 0 && WaitForState(kThreadStarted, waitMs)) {
        Trace(kTraceFile, "THREAD: Thread is started successfully.");
        return 0;
    }
    return 1;
}

int CQvcThread::Stop(unsigned waitMs) {
    // A worker that stops itself (its work is done) must not queue behind an owner's
    // Stop that holds the control lock while it waits for this very worker: it only sets
    // the state and posts, under the object's lock, and never waits for itself.
    std::unique_lock control(m_control, std::defer_lock);
    if (std::this_thread::get_id() == WorkerThreadId())
        waitMs = 0;
    else
        control.lock();
    Trace(kTraceFile, "THREAD: Attempting to stop...");
    {
        CQvcLock lock(*this);
        const int previous = m_state;
        if (previous == kThreadStopped) {
            Trace(kTraceFile, "THREAD: Thread already stopped.");
            return 0;
        }
        if (previous == kThreadStopPending) {
            Trace(kTraceFile, "THREAD: Thread already pending to stop.");
            return 1;
        }
        SetState(kThreadStopPending);
        if (!PostControl(kThreadCodeStop, 0)) {
            SetState(previous);
            Trace(kTraceFile, "THREAD: Failed to stop thread, stop message could not be posted.");
            return -1;
        }
    }
    Trace(kTraceFile, "THREAD: STOP message posted.");
    if (waitMs > 0) {
        Trace(kTraceFile, "THREAD: Thread is stopping.");
        if (WaitForState(kThreadStopped, waitMs)) {
            JoinWorker();
            Trace(kTraceFile, "THREAD: Thread is stopped successfully");
            return 0;
        }
    }
    return 1;
}

// Kill ends a worker at once, whatever it is doing, and leaves the object STOPPED.
//
// The system this model comes from terminated the thread outright.  A std::thread cannot
// be terminated, and cancelling a POSIX thread (pthread_cancel) is no substitute: a thread
// cancelled while it holds a lock (this object's, the allocator's, a stdio lock inside a
// trace write) leaves that lock held for ever, and with C++ code on the stack the unwinding
// of a cancelled thread is undefined.  So Kill does what can be done safely:
//   1. sets STOPPENDING and marks the run killed: from then on the worker runs no further
//      work, handler or hook, and its state changes are ignored;
//   2. wakes every wait of the worker (its start delay and its queue, which now refuses
//      posts);
//   3. waits up to the kill wait for the worker to leave its loop and joins it; a worker
//      stuck inside its work is detached instead and ends on its own when its work
//      returns (the destructor waits for it, because it still runs this object's code);
//   4. runs the stopped hook on the calling thread (unless the worker had already begun
//      its own orderly end and runs it itself) and sets STOPPED.
// Start may then create a new worker at once: it gets a run of its own, so an abandoned
// worker cannot take its requests.
int CQvcThread::Kill() {
    std::lock_guard control(m_control);
    Trace(kTraceFile, "THREAD: KILL called.");
    std::shared_ptr<Run> run;
    bool workerStopping = false;
    {
        CQvcLock lock(*this);
        run = m_run;
        if (!run || !m_thread.joinable() || run->IsFinished()) {
            JoinWorker();
            return 0;
        }
        SetState(kThreadStopPending);
        run->killed = true;
        workerStopping = run->stopping;
    }
    Trace(kTraceFile, "THREAD: TERMINATE thread.");
    run->Wake();
    std::chrono::milliseconds wait;
    {
        CQvcLock lock(*this);
        wait = m_killWait;
    }
    if (run->WaitFinished(wait)) {
        JoinWorker();
    } else {
        m_thread.detach();
        m_abandoned.push_back(run);
        CQvcLock lock(*this);
        m_workerThreadId = std::thread::id();
        Trace(kTraceFile, "THREAD: Thread did not end in time; it is left to end on its own.");
    }
    if (!workerStopping)
        OnStopped();
    SetState(kThreadStopped);
    return 0;
}

int CQvcThread::Pause() {
    std::lock_guard control(m_control);
    CQvcLock lock(*this);
    const int previous = m_state;
    SetState(kThreadPausePending);
    if (!PostControl(kThreadCodePause, 0)) {
        SetState(previous);
        return -1;
    }
    Trace(kTraceFile, "THREAD: PAUSE called, message posted.");
    return 1;
}

int CQvcThread::Resume() {
    std::lock_guard control(m_control);
    CQvcLock lock(*this);
    const int previous = m_state;
    SetState(kThreadResumePending);
    if (!PostControl(kThreadCodeResume, 0)) {
        SetState(previous);
        return -1;
    }
    Trace(kTraceFile, "THREAD: RESUME called, message posted.");
    return 1;
}

int CQvcThread::PostCustomRequest(unsigned code, std::intptr_t arg) {
    if (code < kThreadCodeFirstCustom || code > kThreadCodeLastCustom)
        return -1;
    if (!PostControl(code, arg))
        return -1;
    return code <= kThreadCodeFirstCustom + 4 ? 0 : 1;
}

// --- the worker's side ----------------------------------------------------------------

void CQvcThread::ThreadBody(const std::shared_ptr<Run>& run) {
    MainLoop(*run);
    // Nothing of this object is touched from here on: an abandoned worker may outlive
    // everything but its run.
    {
        std::lock_guard lock(run->mutex);
        run->finished = true;
    }
    run->cv.notify_all();
}

void CQvcThread::MainLoop(Run& run) {
    const IQvcClock& clock = *run.clock;
    {
        std::unique_lock lock(run.mutex);
        clock.WaitUntil(run.cv, lock, clock.Now() + run.startDelay, [&run] { return run.killed.load(); });
    }
    {
        CQvcLock lock(*this);
        if (run.killed)
            return;
        // A Stop or Pause that came during the start delay keeps its pending state; its
        // code is waiting in the queue.
        if (m_state == kThreadStartPending)
            SetState(kThreadStarted);
    }
    OnStarted();

    auto deadline = clock.Now() + run.period;
    for (;;) {
        if (run.killed)
            return;
        QvcMessage message;
        if (!run.queue.TryTake(message)) {
            // A deadline that passed while a request was handled is a time-out at once.
            const bool got = clock.Now() < deadline && run.queue.WaitUntil(message, deadline, clock);
            if (run.killed)
                return;
            if (!got) {
                // The queue is closed only by Kill, so this is the time-out.
                QVC_ASSERT(clock.Now() >= deadline);
                if (State() == kThreadStarted)
                    Work();
                deadline = clock.Now() + run.period;
                continue;
            }
        }
        if (HandleMessage(run, message) == Step::Stop)
            break;
    }

    Trace(kTraceFile, "THREAD: STOP message received.");
    {
        CQvcLock lock(*this);
        if (run.killed)
            return;
        run.stopping = true;
    }
    run.queue.Close();
    OnStopped();
    SetStateFromWorker(run, kThreadStopped);
}

CQvcThread::Step CQvcThread::HandleMessage(const Run& run, const QvcMessage& message) {
    if (message.message != m_controlMessage)
        return Step::Continue;
    const auto code = static_cast<unsigned>(message.wparam);
    switch (code) {
    case kThreadCodeStop:
        return Step::Stop;
    case kThreadCodePause:
    case kThreadCodeResume: {
        // A pending stop wins: its code follows in the queue.
        CQvcLock lock(*this);
        if (m_state != kThreadStopPending)
            SetStateFromWorker(run, code == kThreadCodePause ? kThreadPaused : kThreadStarted);
        return Step::Continue;
    }
    default:
        if (State() == kThreadPaused)
            return Step::Continue;
        if (code >= kThreadCodeFirstCustom && code <= kThreadCodeLastCustom)
            DispatchCustomRequest(code, message.lparam);
        return Step::Continue;
    }
}

void CQvcThread::DispatchCustomRequest(unsigned code, std::intptr_t arg) {
    switch (code - kThreadCodeFirstCustom + 1) {
    case 1:
        OnCustomRequest1(arg);
        break;
    case 2:
        OnCustomRequest2(arg);
        break;
    case 3:
        OnCustomRequest3(arg);
        break;
    case 4:
        OnCustomRequest4(arg);
        break;
    case 5:
        OnCustomRequest5(arg);
        break;
    case 6:
        OnCustomRequest6(arg);
        break;
    case 7:
        OnCustomRequest7(arg);
        break;
    case 8:
        OnCustomRequest8(arg);
        break;
    case 9:
        OnCustomRequest9(arg);
        break;
    case 10:
        OnCustomRequest10(arg);
        break;
    case 11:
        OnCustomRequest11(arg);
        break;
    case 12:
        OnCustomRequest12(arg);
        break;
    case 13:
        OnCustomRequest13(arg);
        break;
    case 14:
        OnCustomRequest14(arg);
        break;
    case 15:
        OnCustomRequest15(arg);
        break;
    default:
        break;
    }
}
