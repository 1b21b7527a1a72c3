#include "engine/NetReactor.h"

#include "platform/UniqueFd.h"

#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <queue>
#include <stdexcept>
#include <unordered_map>

namespace {

// The epoll key of the wake-up descriptor; task keys are (id << 16 | generation) with
// ids from 1.
constexpr std::uint64_t kWakeKey = 0;
constexpr std::uint64_t kGenerationMask = 0xffff;

} // namespace

struct CNetReactor::Impl {
    struct Entry {
        std::unique_ptr<Task> TaskPtr;
        int Fd = -1;
        std::uint64_t Generation = 0;
    };
    struct Timer {
        Clock::time_point Until;
        std::uint64_t Id;
        std::uint64_t Generation;
        bool operator>(const Timer& other) const { return Until > other.Until; }
    };

    platform::UniqueFd Epoll;
    platform::UniqueFd Wake;
    std::mutex Mutex; // guards Incoming and Stopping
    std::vector<std::unique_ptr<Task>> Incoming;
    bool Stopping = false;

    // Owned by the reactor thread.
    std::unordered_map<std::uint64_t, Entry> Entries;
    std::priority_queue<Timer, std::vector<Timer>, std::greater<>> Timers;
    std::uint64_t LastId = 0;

    // Registers what the task waits for next, or forgets a finished task.  The reactor
    // never removes a descriptor from the epoll set itself: a task closes the sockets it
    // is done with (which removes them) and another task may already hold the same number.
    bool Apply(std::uint64_t id, Entry& entry, const Wait& wait) {
        if (wait.Done) {
            Entries.erase(id);
            return true;
        }
        ++entry.Generation;
        if (wait.Fd >= 0) {
            epoll_event event{};
            event.events = wait.Events;
            event.data.u64 = (id << 16) | (entry.Generation & kGenerationMask);
            const bool same = wait.Fd == entry.Fd;
            if (::epoll_ctl(Epoll.Get(), same ? EPOLL_CTL_MOD : EPOLL_CTL_ADD, wait.Fd, &event) != 0) {
                // The number came back after a close (MOD finds nothing), or the socket
                // was registered under an older step (ADD finds it).
                if (errno == ENOENT || errno == EEXIST)
                    ::epoll_ctl(Epoll.Get(), errno == ENOENT ? EPOLL_CTL_ADD : EPOLL_CTL_MOD, wait.Fd, &event);
            }
        }
        entry.Fd = wait.Fd;
        Timers.push({wait.Until, id, entry.Generation});
        return false;
    }

    // Runs one step of a task; an exception ends it as cancelled.
    template <class Function>
    bool Step(std::uint64_t id, Entry& entry, Function&& step) {
        Wait wait;
        try {
            wait = step(*entry.TaskPtr);
        } catch (...) {
            entry.TaskPtr->Cancel();
            wait = Wait::Finished();
        }
        return Apply(id, entry, wait);
    }
};

CNetReactor::CNetReactor() : m_impl(std::make_unique<Impl>()) {
    m_impl->Epoll = platform::UniqueFd(::epoll_create1(EPOLL_CLOEXEC));
    m_impl->Wake = platform::UniqueFd(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
    if (!m_impl->Epoll || !m_impl->Wake)
        throw std::runtime_error("cannot create the network reactor's descriptors");
    epoll_event event{};
    event.events = EPOLLIN;
    event.data.u64 = kWakeKey;
    ::epoll_ctl(m_impl->Epoll.Get(), EPOLL_CTL_ADD, m_impl->Wake.Get(), &event);
    m_thread = std::thread([this] { Loop(); });
}

CNetReactor::~CNetReactor() {
    {
        std::lock_guard lock(m_impl->Mutex);
        m_impl->Stopping = true;
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_impl->Wake.Get(), &one, sizeof one);
    if (m_thread.joinable())
        m_thread.join();
}

CNetReactor& CNetReactor::Shared() {
    static CNetReactor reactor;
    return reactor;
}

void CNetReactor::Add(std::unique_ptr<Task> task) {
    ++m_active;
    {
        std::lock_guard lock(m_impl->Mutex);
        m_impl->Incoming.push_back(std::move(task));
    }
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(m_impl->Wake.Get(), &one, sizeof one);
}

void CNetReactor::Loop() {
    Impl& impl = *m_impl;
    std::vector<epoll_event> events(256);
    Clock::time_point nextCancelLook = Clock::now() + kCancelPoll;
    const auto finished = [this](bool done) {
        if (done)
            --m_active;
    };
    for (;;) {
        // Sleep until the earliest deadline; while tasks wait, look at their cancellation
        // flags now and then; with none, until a task arrives.
        int timeout = -1;
        while (!impl.Timers.empty()) {
            const Impl::Timer& top = impl.Timers.top();
            const auto found = impl.Entries.find(top.Id);
            if (found != impl.Entries.end() && found->second.Generation == top.Generation)
                break;
            impl.Timers.pop();
        }
        if (!impl.Entries.empty()) {
            Clock::time_point wake = nextCancelLook;
            if (!impl.Timers.empty())
                wake = std::min(wake, impl.Timers.top().Until);
            const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wake - Clock::now()).count();
            timeout = static_cast<int>(std::max<long long>(0, ms));
        }
        const int count = ::epoll_wait(impl.Epoll.Get(), events.data(), static_cast<int>(events.size()), timeout);
        for (int i = 0; i < count; ++i) {
            const std::uint64_t key = events[static_cast<std::size_t>(i)].data.u64;
            if (key == kWakeKey) {
                std::uint64_t drained = 0;
                [[maybe_unused]] const ssize_t got = ::read(impl.Wake.Get(), &drained, sizeof drained);
                std::vector<std::unique_ptr<Task>> arrived;
                {
                    std::lock_guard lock(impl.Mutex);
                    if (impl.Stopping)
                        return;
                    arrived.swap(impl.Incoming);
                }
                for (auto& task : arrived) {
                    const std::uint64_t id = ++impl.LastId;
                    Impl::Entry& entry = impl.Entries[id];
                    entry.TaskPtr = std::move(task);
                    finished(impl.Step(id, entry, [](Task& t) { return t.Start(); }));
                }
                continue;
            }
            const auto found = impl.Entries.find(key >> 16);
            // A report from a socket of an earlier step (closed or replaced since).
            if (found == impl.Entries.end() || (found->second.Generation & kGenerationMask) != (key & kGenerationMask))
                continue;
            const std::uint32_t ready = events[static_cast<std::size_t>(i)].events;
            finished(impl.Step(found->first, found->second, [ready](Task& t) { return t.Resume(ready); }));
        }

        const Clock::time_point now = Clock::now();
        while (!impl.Timers.empty() && impl.Timers.top().Until <= now) {
            const Impl::Timer timer = impl.Timers.top();
            impl.Timers.pop();
            const auto found = impl.Entries.find(timer.Id);
            if (found == impl.Entries.end() || found->second.Generation != timer.Generation)
                continue;
            finished(impl.Step(timer.Id, found->second, [](Task& t) { return t.Resume(0); }));
        }
        if (now >= nextCancelLook) {
            nextCancelLook = now + kCancelPoll;
            for (auto it = impl.Entries.begin(); it != impl.Entries.end();) {
                if (!it->second.TaskPtr->Cancelled()) {
                    ++it;
                    continue;
                }
                it->second.TaskPtr->Cancel();
                it = impl.Entries.erase(it);
                --m_active;
            }
        }
    }
}
