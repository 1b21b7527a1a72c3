#pragma once
// The probes of network discovery: does a host answer a ping, does it accept a connection
// on a TCP port, and what is its name.  Each probe waits at most its time-out and gives up
// within a short slice once `stopped` says so, so that a scan can be stopped at any time.
#include <chrono>
#include <functional>
#include <string>

// Tells a probe to give up (the scan is stopping).  May be empty.
using ProbeStopped = std::function<bool()>;

// How long one probe of a scan waits for its answer.
inline constexpr std::chrono::milliseconds kProbeTimeout{750};

// Connects to `port` of `host` (an address, or a name tried at each of its addresses)
// within `timeout`: the milliseconds the connection took, or -1 when it was refused, timed out,
// the host could not be resolved or the probe was stopped.
int ProbeTcpPort(const std::string& host, int port, std::chrono::milliseconds timeout, const ProbeStopped& stopped);

// Sends one ICMP echo request to `host` and waits up to `timeout` for the reply: the
// round trip in milliseconds, or -1 when no reply came (or no ICMP socket may be opened).
int ProbePing(const std::string& host, std::chrono::milliseconds timeout, const ProbeStopped& stopped);

// Whether this process may open an ICMP socket (datagram or raw).
bool IcmpPermitted();

// The host name of an IPv4 address (reverse look-up); empty when it has none.
std::string ResolveAddressName(const std::string& address);
