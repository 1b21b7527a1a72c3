#pragma once
// CTraceRouteRunner: TraceRoute (11): the route to a host, found hop by hop by sending UDP
// datagrams with an increasing time to live and reading the ICMP reports of the routers
// (time exceeded) and of the host (port unreachable) from the socket's error queue, which
// needs no privilege; then the hop rules of the check are applied.
#include "engine/CheckRunner.h"
#include "model/checks/CheckSettings.h"

#include <chrono>
#include <string>
#include <vector>

class CTraceRouteRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

// One hop of a traced route: the router (or the host) that answered the datagram with
// this time to live, or nobody.
struct TraceHop {
    std::string Address; // empty when no answer came
    std::string Name;    // the address's host name, when looked up and found
    std::chrono::microseconds Time{0};
    bool operator==(const TraceHop&) const = default;
};

struct TracedRoute {
    std::vector<TraceHop> Hops; // the first at time to live 1
    bool Reached = false;       // the last hop is the host
    std::string Stop;           // why the trace ended before the host, when it did
};

// The outcome of a traced route to `target` under the check's rules: the host must be
// reached; with a hop rule, one of the listed hops must (or none may) be in the route,
// compared by address, or by host name when names are resolved; with the hop time rule,
// no hop may answer more slowly than the limit.
CheckOutcome JudgeRoute(const TraceRouteSettings& settings, const std::string& target, const TracedRoute& route);
