#include "library/QvcMessageQueue.h"

bool CQvcMessageQueue::Post(unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return false;
        m_messages.push_back(QvcMessage{message, wparam, lparam});
    }
    m_cv.notify_all();
    return true;
}

bool CQvcMessageQueue::TakeLocked(QvcMessage& out) {
    if (m_messages.empty())
        return false;
    out = m_messages.front();
    m_messages.pop_front();
    return true;
}

bool CQvcMessageQueue::TryTake(QvcMessage& out) {
    std::lock_guard lock(m_mutex);
    return TakeLocked(out);
}

bool CQvcMessageQueue::WaitForMessage(QvcMessage& out, std::chrono::milliseconds timeout) {
    const IQvcClock& clock = QvcSteadyClock();
    return WaitUntil(out, clock.Now() + timeout, clock);
}

bool CQvcMessageQueue::WaitUntil(QvcMessage& out, IQvcClock::TimePoint deadline, const IQvcClock& clock) {
    std::unique_lock lock(m_mutex);
    clock.WaitUntil(m_cv, lock, deadline, [this] { return !m_messages.empty() || m_closed; });
    return TakeLocked(out);
}

void CQvcMessageQueue::Close() {
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
    }
    m_cv.notify_all();
}

bool CQvcMessageQueue::IsClosed() const {
    std::lock_guard lock(m_mutex);
    return m_closed;
}

std::size_t CQvcMessageQueue::Count() const {
    std::lock_guard lock(m_mutex);
    return m_messages.size();
}
