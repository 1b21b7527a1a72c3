#pragma once
// CQvcMessageQueue: a thread-safe first-in, first-out queue of window messages.  Any thread
// posts; the owning thread takes the messages one at a time, waiting with a time-out when
// it wants to.  Workers use one as their own request queue; tests and the command-line
// tool use one as the sink that workers report to.
#include "library/QvcClock.h"
#include "library/QvcWindow.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>

class CQvcMessageQueue final : public IQvcWindow {
public:
    CQvcMessageQueue() = default;
    CQvcMessageQueue(const CQvcMessageQueue&) = delete;
    CQvcMessageQueue& operator=(const CQvcMessageQueue&) = delete;

    // Appends the message and wakes a waiting taker; false once the queue is closed.
    bool Post(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;

    // Takes the oldest message without waiting; false when there is none.
    bool TryTake(QvcMessage& out);
    // Takes the oldest message, waiting up to `timeout` for one; false when none came in
    // time or the queue is closed and empty.
    bool WaitForMessage(QvcMessage& out, std::chrono::milliseconds timeout);
    // The same with a deadline measured by `clock`.
    bool WaitUntil(QvcMessage& out, IQvcClock::TimePoint deadline, const IQvcClock& clock = QvcSteadyClock());

    // Refuses every later post and wakes every waiter; messages already queued stay
    // takeable.
    void Close();
    bool IsClosed() const;
    std::size_t Count() const;

private:
    bool TakeLocked(QvcMessage& out);

    mutable std::mutex m_mutex;
    std::condition_variable m_cv;
    std::deque<QvcMessage> m_messages;
    bool m_closed = false;
};
