#pragma once
// The network checks that run on the reactor (CNetReactor) instead of holding a worker
// while they wait: TCP/IP and the TCP-based types (30, 38, 39, 44) and ICMP Ping (10).
// Reading the settings and resolving a name happen on the caller's thread (a name may
// take the system resolver a while); the connection, the exchange and the waiting then
// run on the reactor thread, and the outcome goes to a sink.
#include "engine/CheckRunner.h"
#include "engine/NetReactor.h"

#include <functional>
#include <memory>

// Receives the outcome of a check run on the reactor, once, on the reactor thread.
using OutcomeSink = std::function<void(CheckOutcome)>;

// A check ready for the reactor, or (Task null) the outcome it already has.
struct PreparedNetCheck {
    CheckOutcome Outcome;
    std::unique_ptr<CNetReactor::Task> Task;
};

PreparedNetCheck PrepareTcpCheck(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done);
PreparedNetCheck PrepareIcmpCheck(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done,
                                  bool allowRaw);

// Runs a prepared check on the shared reactor and waits for its outcome.
CheckOutcome RunPreparedCheck(
    const std::function<PreparedNetCheck(const RunContext&, OutcomeSink)>& prepare, const RunContext& context);

// Starts the check on the shared reactor when its type runs there: true once `done` is
// certain to be called (maybe already), false for other types (nothing was done).
bool StartNetworkCheck(const CSnNodeCfg& check, const RunContext& context, OutcomeSink done);
