#pragma once
// The C runtime's pseudo-random generator as the original platform implements it
// (state = state * 214013 + 2531011, value = (state >> 16) & 0x7FFF), process-wide like
// rand()/srand(), so that scrambled secrets and generated numbers are the same bytes
// whichever program produced them.
#include <cstdint>
#include <mutex>

void QvcSrand(unsigned seed);
// 0 to 32767.
int QvcRand();

// Holds the generator for a seeding and the values that must follow it.  Re-entrant, so
// QvcSrand/QvcRand may be called while it is held.
class QvcRandomLock {
public:
    QvcRandomLock();
    ~QvcRandomLock();
    QvcRandomLock(const QvcRandomLock&) = delete;
    QvcRandomLock& operator=(const QvcRandomLock&) = delete;
};

// A generator with its own state, for code that must not disturb the shared one.
class CQvcRandom {
public:
    explicit CQvcRandom(unsigned seed = 1) : m_state(seed) {}
    void Seed(unsigned seed) { m_state = seed; }
    int Next() {
        m_state = m_state * 214013u + 2531011u;
        return static_cast<int>((m_state >> 16) & 0x7FFF);
    }

private:
    std::uint32_t m_state;
};
