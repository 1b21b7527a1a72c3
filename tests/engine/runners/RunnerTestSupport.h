#pragma once
// Helpers of the check-runner tests: checks of a type with the defaults of a new check,
// run contexts, and readable outcomes in failure messages.
#include "engine/CheckRunner.h"
#include "model/checks/CheckTypes.h"
#include "engine/NetworkHelpers.h"

#include <atomic>
#include <chrono>
#include <map>
#include <ostream>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace runnertest {

// A check of `type` as a new check of that type starts.
inline CSnNodeCfg MakeCheck(int type) {
    CSnNodeCfg check;
    check.ID = 100;
    check.Function.Type = type;
    CheckTypeDefaults(&check.Function);
    return check;
}

inline RunContext Context(std::chrono::milliseconds timeout = std::chrono::seconds(30),
                          const std::atomic<bool>* cancelled = nullptr, const std::string& root = "") {
    RunContext context;
    context.Timeout = timeout;
    context.Cancelled = cancelled;
    context.EngineRoot = root;
    return context;
}

// "Error: <response> [data] {comment}" for failure messages.
inline std::string Describe(const CheckOutcome& outcome) {
    const char* kinds[] = {"Success", "Error", "Uncertain"};
    return std::string(kinds[static_cast<int>(outcome.kind)]) + ": " + outcome.Response.Str() + " [" + outcome.Data.Str() + "] {" +
           outcome.Comment.Str() + "}";
}

// "Error: <response>": the kind and the response, without the measured data.
inline std::string Judged(const CheckOutcome& outcome) {
    const std::string described = Describe(outcome);
    return described.substr(0, described.rfind(" ["));
}

// A check of `type` holding `settings`.
template <typename Settings> CSnNodeCfg CheckOf(int type, const Settings& settings) {
    CSnNodeCfg check = MakeCheck(type);
    settings.Write(check.Function);
    return check;
}

// Names that resolve to the given address texts, in that order, while the object lives.
class ScopedNames {
public:
    explicit ScopedNames(std::map<std::string, std::vector<std::string>> names) {
        SetNameOverride([names = std::move(names)](const std::string& name) {
            const auto found = names.find(name);
            return found == names.end() ? std::vector<std::string>() : found->second;
        });
    }
    ~ScopedNames() { SetNameOverride({}); }
    ScopedNames(const ScopedNames&) = delete;
    ScopedNames& operator=(const ScopedNames&) = delete;
};

// Seconds since `start`, for generous bounds on how long a run took.
inline double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Runs `check` with the engine stopping `after` into the run: "<kind>: <response>" of the
// outcome and the seconds the run took.
inline std::pair<std::string, double> RunStoppedAfter(const CSnNodeCfg& check,
                                                      std::chrono::milliseconds after = std::chrono::milliseconds(200)) {
    std::atomic<bool> stop{false};
    const auto start = std::chrono::steady_clock::now();
    std::thread stopper([&] {
        std::this_thread::sleep_for(after);
        stop = true;
    });
    const CheckOutcome outcome = RunCheck(check, Context(std::chrono::seconds(60), &stop));
    stopper.join();
    return {Judged(outcome), SecondsSince(start)};
}

} // namespace runnertest
