#include "engine/RunDeadline.h"

#include <algorithm>
#include <thread>

CRunDeadline::CRunDeadline(const RunContext& context, std::chrono::milliseconds own)
    : m_context(context), m_limit(std::max(context.Timeout, std::chrono::milliseconds(0))), m_start(Clock::now()) {
    if (own.count() > 0)
        m_limit = std::min(m_limit, own);
    m_end = m_start + m_limit;
}

std::chrono::milliseconds CRunDeadline::Remaining() const {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(m_end - Clock::now());
    return std::max(left, std::chrono::milliseconds(0));
}

std::chrono::milliseconds CRunDeadline::Elapsed() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - m_start);
}

CRunDeadline::Clock::time_point CRunDeadline::Within(std::chrono::milliseconds span) const {
    return std::min(m_end, Clock::now() + span);
}

bool CRunDeadline::SleepFor(std::chrono::milliseconds span) const {
    const auto until = Within(span);
    while (!Cancelled()) {
        const auto now = Clock::now();
        if (now >= until)
            return true;
        std::this_thread::sleep_for(std::min<Clock::duration>(until - now, kSlice));
    }
    return false;
}
