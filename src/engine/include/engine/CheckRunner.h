#pragma once
// The check runners of the engine: one per check type, each turning a check's settings
// into one outcome.  A runner never throws to its caller and never blocks longer than
// its time-out: the scheduler runs them on a bounded pool of worker threads so that a
// slow host never delays the other checks.
#include "library/QvcString.h"
#include "model/settings/SnCfgServerCredentials.h"
#include "model/tree/SnNodeCfg.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

// What one run found, before the engine applies hold, maintenance, dependencies, the
// error threshold, inverse and the uncertain mapping.
struct CheckOutcome {
    enum class Kind { Success, Error, Uncertain };
    Kind kind = Kind::Uncertain;
    CQvcString Data;     // the "Data" column: a measured value, short
    CQvcString Response; // the "Last Response" column: what happened, one line
    CQvcString Comment;  // the "Comments" column
    // Filled by the engine from the run's wall time when the runner leaves it negative:
    // whole seconds for the result line, milliseconds for the history.
    int DurationSecs = -1;
    int DurationMs = -1;

    // The run's milliseconds: DurationMs, or else the whole seconds (0 when unknown).
    int Milliseconds() const { return DurationMs >= 0 ? DurationMs : (DurationSecs > 0 ? DurationSecs * 1000 : 0); }

    static CheckOutcome Success(CQvcString response, CQvcString data = "");
    static CheckOutcome Error(CQvcString response, CQvcString data = "");
    static CheckOutcome Uncertain(CQvcString response, CQvcString data = "");
};

// What a runner may use besides the check's own settings.
struct RunContext {
    // The Engine root (native path, with a trailing separator): "<SNROOT>" in stored
    // texts stands for it.
    CQvcString EngineRoot;
    // The longest a run may take; runners with their own time-out setting use the
    // smaller of the two.
    std::chrono::milliseconds Timeout{30000};
    // Set when the engine stops: long runs end early with an Uncertain outcome.
    const std::atomic<bool>* Cancelled = nullptr;

    // The server credentials list (account and scrambled password per computer) for checks
    // that log on with the credentials stored for their computer; none when empty.
    std::shared_ptr<const CSnCfgServerCredentials> ServerCredentials = nullptr;
    // The directory of the engine's own SSH keys and known_hosts file; empty for the ~/.ssh
    // directory of the user the engine runs as.
    CQvcString SshDirectory = {};

    bool IsCancelled() const { return Cancelled && Cancelled->load(); }
};

// The longest a run of `check` may take: the engine's limit, or longer for a type whose
// own setting asks for more (SMTP to POP3 waits up to its "fail after" minutes for its
// message, plus half a minute for sending and the last look into the mailbox).
std::chrono::milliseconds RunLimit(const CSnNodeCfg& check, std::chrono::milliseconds engineLimit);

class ICheckRunner {
public:
    virtual ~ICheckRunner() = default;
    virtual CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) = 0;
};

// The runner for a check type; types this engine cannot run get a runner that answers
// Uncertain with "Check type '<name>' is not supported by this engine".
std::unique_ptr<ICheckRunner> CreateCheckRunner(int type);
// Runs the check with the type's runner, through GuardedRun.
CheckOutcome RunCheck(const CSnNodeCfg& check, const RunContext& context);

// The one place where what one run leaves open is settled: calls `run`, turning any
// exception into an Uncertain outcome ("The check failed inside the engine[: <what>]"),
// then fills the duration (FillDuration).
CheckOutcome GuardedRun(const std::function<CheckOutcome()>& run, std::chrono::steady_clock::time_point began);
// A DurationSecs left negative becomes the whole seconds (rounded) since `began`, and a
// DurationMs left negative the milliseconds (or the runner's own seconds); for
// outcomes that arrive later, from a check run on the network reactor.
void FillDuration(CheckOutcome& outcome, std::chrono::steady_clock::time_point began);
