// The runner table, and the guard that settles the exceptions and the duration of a run.
#include "RunnerTestSupport.h"
#include "engine/TcpRunner.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

using namespace runnertest;
using namespace std::chrono_literals;

TEST(CheckRunner, TheTcpBasedTypesShareTheTcpRunner) {
    // Every other runner is reached through its own type in its runner's tests.
    for (int type : {kTypeTcpIp, kTypeNntp, kTypeCitrixIca})
        EXPECT_NE(dynamic_cast<CTcpRunner*>(CreateCheckRunner(type).get()), nullptr) << type;
}

TEST(CheckRunner, TypesThisEngineCannotRunAreUncertain) {
    const RunContext context = Context();
    const CheckOutcome script = RunCheck(MakeCheck(kTypeVBScript), context);
    EXPECT_EQ(script.kind, CheckOutcome::Kind::Uncertain);
    EXPECT_EQ(script.Response.Str(), "Check type 'VBScript' is not supported by this engine");
    EXPECT_EQ(script.DurationSecs, 0);
    CSnNodeCfg odd;
    odd.Function.Type = 999;
    EXPECT_EQ(RunCheck(odd, context).Response.Str(), "Check type 'Unknown' (999) is not supported by this engine");
}

TEST(CheckRunner, NewChecksOfEveryTypeGiveAnOutcome) {
    // With the defaults of a new check (no host, no path) every type answers at once and
    // says what it found or what is missing.
    const RunContext context = Context(5s);
    for (std::int32_t type : AllCheckTypes()) {
        const auto start = std::chrono::steady_clock::now();
        const CheckOutcome outcome = RunCheck(MakeCheck(type), context);
        EXPECT_FALSE(outcome.Response.IsEmpty()) << CheckTypeName(type);
        EXPECT_GE(outcome.DurationSecs, 0) << CheckTypeName(type);
        EXPECT_LT(SecondsSince(start), 6.0) << CheckTypeName(type);
    }
}

TEST(CheckRunner, GuardedRunTurnsExceptionsIntoUncertainAndFillsTheDuration) {
    using Clock = std::chrono::steady_clock;
    const auto ran = [](CheckOutcome outcome) { return [outcome] { return outcome; }; };
    CheckOutcome own = CheckOutcome::Error("refused");
    own.DurationSecs = 7;
    const struct {
        std::function<CheckOutcome()> run;
        Clock::duration ago;
        CheckOutcome::Kind kind;
        const char* response;
        int duration;
        int tenths; // of a second, for the history
    } cases[] = {
        {[]() -> CheckOutcome { throw std::runtime_error("socket table corrupt"); }, 0ms, CheckOutcome::Kind::Uncertain,
         "The check failed inside the engine: socket table corrupt", 0, 0},
        {[]() -> CheckOutcome { throw 42; }, 0ms, CheckOutcome::Kind::Uncertain, "The check failed inside the engine", 0, 0},
        // The wall time, rounded to whole seconds and kept in milliseconds, unless the
        // runner set its own.
        {ran(CheckOutcome::Success("done")), 1600ms, CheckOutcome::Kind::Success, "done", 2, 16},
        {ran(CheckOutcome::Success("done")), 1400ms, CheckOutcome::Kind::Success, "done", 1, 14},
        {ran(CheckOutcome::Success("done")), 40ms, CheckOutcome::Kind::Success, "done", 0, 0},
        {ran(own), 1600ms, CheckOutcome::Kind::Error, "refused", 7, 70},
    };
    for (const auto& c : cases) {
        const CheckOutcome outcome = GuardedRun(c.run, Clock::now() - c.ago);
        EXPECT_EQ(Describe(outcome) + " " + std::to_string(outcome.DurationSecs) + " " +
                      std::to_string(outcome.Milliseconds() / 100),
                  Describe(CheckOutcome{c.kind, "", c.response, "", -1}) + " " + std::to_string(c.duration) + " " +
                      std::to_string(c.tenths));
    }
    // A fast run keeps its milliseconds, not a rounded-away zero.
    EXPECT_GE(GuardedRun(ran(CheckOutcome::Success("done")), Clock::now() - 40ms).DurationMs, 40);
}
