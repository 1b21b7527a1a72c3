#pragma once
// CQvcThread: the one worker-thread model of the system.  A worker runs a piece of periodic
// work at a fixed period on its own thread; its owner starts, stops, pauses, resumes or
// kills it and sends it up to fifteen kinds of custom requests, each with one argument.
// Derived classes supply the periodic work (Work) and the request handlers
// (OnCustomRequest1..15).
//
// Requests travel through the worker's own message queue as its control message (named
// "WM_<name>", wparam = control code, lparam = argument), so they are handled one at a
// time, in order, on the worker thread, and never while the periodic work runs.  The
// owner never touches the worker's data while it runs; the worker reports back by posting
// window messages to an IQvcWindow sink.
//
// Timing: the work first runs about one start delay (1 second by default) plus one period
// after Start, then once per period measured from the end of the previous run.  A paused
// worker keeps its timer, skips the work and ignores custom requests.
//
// Owners stop or kill a worker before destroying it.  The destructor is safe anyway: it
// makes a running worker leave its loop after its current step and joins it (see
// ~CQvcThread for what that does not cover).
#include "library/QvcBase.h"
#include "library/QvcClock.h"
#include "library/QvcWindow.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// States; the numbers are those the product has always traced and reported.
enum QvcThreadState : int {
    kThreadStopped = 0,
    kThreadStopPending = 1,
    kThreadPaused = 2,
    kThreadStarted = 3,
    kThreadStartPending = 4,
    kThreadPausePending = 5,
    kThreadResumePending = 6,
};

// Control codes carried in wparam of the control message.
inline constexpr unsigned kThreadCodePause = 1025;
inline constexpr unsigned kThreadCodeResume = 1026;
inline constexpr unsigned kThreadCodeStop = 1027;
inline constexpr unsigned kThreadCodeFirstCustom = 1028;
inline constexpr unsigned kThreadCodeLastCustom = 1042;

class CQvcThread : public CQvcBase {
public:
    // A period under 500 ms is reported through ReportError as "Potential Timer problems"
    // (the worker still runs at that period).
    CQvcThread(const char* name, unsigned periodMs);
    ~CQvcThread() override;
    CQvcThread(const CQvcThread&) = delete;
    CQvcThread& operator=(const CQvcThread&) = delete;

    // "STOPPED", "STOPPENDING", ... or "UNKNOWN".
    static const char* StateName(int state);

    int State() const;
    unsigned Period() const { return m_periodMs; }
    // The registered number of "WM_<name>".
    unsigned ControlMessage() const { return m_controlMessage; }
    std::thread::id CreatorThreadId() const { return m_creatorThreadId; }
    // Of the running worker; a default id when none runs.
    std::thread::id WorkerThreadId() const;
    // Set by the started hook, cleared by the stopped hook.
    bool IsInitialised() const { return m_initialised.load(); }

    // --- settings, taken at the next Start ------------------------------------------
    // The clock of the worker's waits (null: the machine's steady clock).  The clock must
    // outlive the worker thread.
    void SetClock(const IQvcClock* clock);
    // The wait between Start and the worker's first step (1 second by default).
    void SetStartDelay(std::chrono::milliseconds delay);
    // How long Kill waits for the worker to leave (2 seconds by default).
    void SetKillWait(std::chrono::milliseconds wait);
    // A library (dlopen handle) that the worker uses; the stopped hook closes it.
    void SetModuleHandle(void* handle);

protected:
    // --- the worker's side, called on the worker thread ------------------------------
    // The periodic work; runs only while the state is STARTED.
    virtual void Work() {}
    // Handlers of the custom requests with codes 1028 (1) to 1042 (15).
    virtual void OnCustomRequest1(std::intptr_t) {}
    virtual void OnCustomRequest2(std::intptr_t) {}
    virtual void OnCustomRequest3(std::intptr_t) {}
    virtual void OnCustomRequest4(std::intptr_t) {}
    virtual void OnCustomRequest5(std::intptr_t) {}
    virtual void OnCustomRequest6(std::intptr_t) {}
    virtual void OnCustomRequest7(std::intptr_t) {}
    virtual void OnCustomRequest8(std::intptr_t) {}
    virtual void OnCustomRequest9(std::intptr_t) {}
    virtual void OnCustomRequest10(std::intptr_t) {}
    virtual void OnCustomRequest11(std::intptr_t) {}
    virtual void OnCustomRequest12(std::intptr_t) {}
    virtual void OnCustomRequest13(std::intptr_t) {}
    virtual void OnCustomRequest14(std::intptr_t) {}
    virtual void OnCustomRequest15(std::intptr_t) {}
    // Runs once the worker has started; marks it initialised.  Overrides call the base.
    virtual void OnStarted();
    // Runs when the worker stops (on the worker thread), or on the owner's thread after a
    // Kill; closes the module handle and clears the initialised mark.  Overrides call the
    // base.
    virtual void OnStopped();

public:
    // --- the owner's side ---------------------------------------------------------------
    // 0 when already started; -1 unless stopped or when no thread can be created;
    // otherwise the worker is created in STARTPENDING.  With a wait (ms), waits for
    // STARTED, checking every 200 ms: 0 when reached.  1 without a wait or when the wait
    // ran out.
    virtual int Start(unsigned waitMs);
    // 0 when already stopped; 1 when already stop-pending; otherwise STOPPENDING and the
    // stop code is posted (-1 with the previous state back when it cannot be).  With a
    // wait, waits for STOPPED as Start does: 0 when reached, else 1.  Called by the
    // worker itself, it never waits and does not queue behind an owner's waiting Stop.
    virtual int Stop(unsigned waitMs);
    // Ends a worker at once, whatever it is doing; always 0.  See the comment in Kill.
    virtual int Kill();
    // PAUSEPENDING and the pause code posted: 1, or -1 with the previous state back when
    // the code cannot be posted (no worker runs).
    virtual int Pause();
    // RESUMEPENDING and the resume code posted: 1 or -1 as Pause.
    virtual int Resume();
    // Posting of the custom requests 1028 (1) to 1042 (15) with their argument: for
    // codes 1028 to 1032 the result is 0, for codes 1033 to 1042 it is 1; -1 when the
    // request cannot be posted (no worker runs).
    virtual int PostCustomRequest1(std::intptr_t arg) { return PostCustomRequest(1028, arg); }
    virtual int PostCustomRequest2(std::intptr_t arg) { return PostCustomRequest(1029, arg); }
    virtual int PostCustomRequest3(std::intptr_t arg) { return PostCustomRequest(1030, arg); }
    virtual int PostCustomRequest4(std::intptr_t arg) { return PostCustomRequest(1031, arg); }
    virtual int PostCustomRequest5(std::intptr_t arg) { return PostCustomRequest(1032, arg); }
    virtual int PostCustomRequest6(std::intptr_t arg) { return PostCustomRequest(1033, arg); }
    virtual int PostCustomRequest7(std::intptr_t arg) { return PostCustomRequest(1034, arg); }
    virtual int PostCustomRequest8(std::intptr_t arg) { return PostCustomRequest(1035, arg); }
    virtual int PostCustomRequest9(std::intptr_t arg) { return PostCustomRequest(1036, arg); }
    virtual int PostCustomRequest10(std::intptr_t arg) { return PostCustomRequest(1037, arg); }
    virtual int PostCustomRequest11(std::intptr_t arg) { return PostCustomRequest(1038, arg); }
    virtual int PostCustomRequest12(std::intptr_t arg) { return PostCustomRequest(1039, arg); }
    virtual int PostCustomRequest13(std::intptr_t arg) { return PostCustomRequest(1040, arg); }
    virtual int PostCustomRequest14(std::intptr_t arg) { return PostCustomRequest(1041, arg); }
    virtual int PostCustomRequest15(std::intptr_t arg) { return PostCustomRequest(1042, arg); }
    // The same by code (1028..1042); -1 for any other code.
    int PostCustomRequest(unsigned code, std::intptr_t arg);

private:
    struct Run;
    enum class Step { Continue, Stop };

    const IQvcClock& Clock() const;
    void SetState(int state);
    // A state change made by the worker of `run`: skipped once that worker was killed,
    // so that a killed worker can never overwrite the state of a later one.
    bool SetStateFromWorker(const Run& run, int state);
    bool PostControl(unsigned code, std::intptr_t arg);
    bool WaitForState(int state, unsigned waitMs) const;
    void ThreadBody(const std::shared_ptr<Run>& run);
    void MainLoop(Run& run);
    Step HandleMessage(const Run& run, const QvcMessage& message);
    void DispatchCustomRequest(unsigned code, std::intptr_t arg);
    void JoinWorker();
    void ReleaseModule();

    const unsigned m_periodMs;
    const unsigned m_controlMessage;
    const std::thread::id m_creatorThreadId;

    // Serialises the owner's operations (Start, Stop, Kill, Pause, Resume) with each other.
    std::mutex m_control;

    // Under the object's lock (CQvcBase::Lock).
    int m_state = kThreadStopped;
    std::shared_ptr<Run> m_run;
    std::thread::id m_workerThreadId;
    void* m_module = nullptr;
    const IQvcClock* m_clock = nullptr;
    std::chrono::milliseconds m_startDelay{1000};
    std::chrono::milliseconds m_killWait{2000};

    std::atomic<bool> m_initialised{false};
    // Owned by the owner's operations (under m_control).
    std::thread m_thread;
    // Workers that a Kill could not end in time; the destructor waits for them.
    std::vector<std::shared_ptr<Run>> m_abandoned;
};
