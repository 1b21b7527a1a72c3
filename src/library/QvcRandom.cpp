#include "library/QvcRandom.h"

namespace {
std::recursive_mutex& Mutex() {
    static std::recursive_mutex mutex;
    return mutex;
}
CQvcRandom& Shared() {
    static CQvcRandom generator(1); // the C runtime starts as if seeded with 1
    return generator;
}
} // namespace

void QvcSrand(unsigned seed) {
    std::lock_guard lock(Mutex());
    Shared().Seed(seed);
}

int QvcRand() {
    std::lock_guard lock(Mutex());
    return Shared().Next();
}

QvcRandomLock::QvcRandomLock() { Mutex().lock(); }
QvcRandomLock::~QvcRandomLock() { Mutex().unlock(); }
