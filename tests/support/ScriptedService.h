#pragma once
// A service to script instead of a daemon: the states that queries return in turn (the
// last one for ever after), failures on demand, and the calls made.  Each control from
// Factory() plays the same script, from any thread.
#include "model/service/ISnServiceControl.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

class ScriptedService {
public:
    void SetStates(std::vector<long> states) {
        std::lock_guard lock(m_shared->mutex);
        m_shared->states = std::move(states);
    }
    // Every query and start or stop gives `code` from now on (0: they work again).
    void FailWith(long code) {
        std::lock_guard lock(m_shared->mutex);
        m_shared->failure = code;
    }
    // "query <computer>", "poll <computer>", "start <computer>", "stop <computer>".
    std::vector<std::string> Calls() const {
        std::lock_guard lock(m_shared->mutex);
        return m_shared->calls;
    }
    ServiceControlFactory Factory() const {
        return [shared = m_shared] { return std::make_unique<Control>(shared); };
    }

private:
    struct Shared {
        std::mutex mutex;
        std::vector<long> states{ISnServiceControl::kStateStopped};
        long failure = 0;
        std::string account = "sentrelle";
        std::vector<std::string> calls;

        long Next() {
            const long state = states.front();
            if (states.size() > 1)
                states.erase(states.begin());
            return state;
        }
    };

    class Control final : public ISnServiceControl {
    public:
        explicit Control(std::shared_ptr<Shared> shared) : m_shared(std::move(shared)) {}
        long QueryServiceState(const CQvcString& computer, const CQvcString&, long& state,
                               CQvcString* account) override {
            std::lock_guard lock(m_shared->mutex);
            m_shared->calls.push_back("query " + computer.Str());
            state = m_shared->failure != 0 ? -1 : m_shared->Next();
            if (account != nullptr)
                *account = m_shared->failure != 0 ? "" : m_shared->account;
            return m_shared->failure;
        }
        long PollState(const CQvcString& computer, const CQvcString&, long& state) override {
            std::lock_guard lock(m_shared->mutex);
            m_shared->calls.push_back("poll " + computer.Str());
            state = m_shared->failure != 0 ? -1 : m_shared->Next();
            return m_shared->failure != 0 ? -1 : 0;
        }
        long StartOrStop(const CQvcString& computer, const CQvcString&, bool start) override {
            std::lock_guard lock(m_shared->mutex);
            m_shared->calls.push_back((start ? "start " : "stop ") + computer.Str());
            if (m_shared->failure != 0)
                return m_shared->failure;
            const long wanted = start ? kStateRunning : kStateStopped;
            m_found = m_shared->states.front() == wanted;
            m_shared->states = {wanted};
            return 0;
        }
        bool FoundAlready() const override { return m_found; }

    private:
        std::shared_ptr<Shared> m_shared;
        bool m_found = false;
    };

    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

} // namespace testsupport
