#pragma once
// What the engine calls to do the actual work, handed to it by its owner: the check
// runner and the sender of notification tests.  The program wires the real ones
// (DefaultEngineServices); tests hand in deterministic fakes, which is what lets them
// check every status the engine publishes exactly.
#include "engine/CheckRunner.h"
#include "engine/alerting/AlertChannels.h"
#include "model/notify/SnNotificationResponse.h"

#include <functional>

class CSnNotificationRequest;

// Runs one check and says what it found.  Called on a worker thread with a copy of the
// check's configuration; an exception counts as an undetermined result.
using CheckRunFunction = std::function<CheckOutcome(const CSnNodeCfg& check, const RunContext& context)>;
// Carries out one notification test request and gives the response to write; ErrorCode
// 0 means sent.  Called on a worker thread; an exception counts as a failed send.
using NotificationSendFunction =
    std::function<CSnNotificationResponse(const CSnNotificationRequest& request, const RunContext& context)>;

// Starts a check that waits on the network without holding the worker it is called on:
// true when it took the check (the outcome then arrives through `done`, once, from any
// thread), false when the check is one for RunCheck.
using CheckStartFunction =
    std::function<bool(const CSnNodeCfg& check, const RunContext& context, std::function<void(CheckOutcome)> done)>;

struct EngineServices {
    CheckRunFunction RunCheck;
    // Null: every check runs through RunCheck.
    CheckStartFunction StartCheck;
    NotificationSendFunction SendNotification;
    // The channels alerts go through, by action kind; a kind missing is not available.
    AlertChannelTable AlertChannels;
};

// The check runners of this engine, its channel senders and its alert channels.
EngineServices DefaultEngineServices();
