#pragma once
// Socket helpers of the network check runners: host texts, name resolution and TCP
// connections that all end at a run's deadline and notice a stop of the engine within a
// slice (CRunDeadline::kSlice).  Sockets are non-blocking and waited on with poll.
#include "engine/RunDeadline.h"
#include "platform/UniqueFd.h"

#include <sys/socket.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// A host text split into the host and an optional port.
struct HostAndPort {
    std::string Host;
    int Port = 0; // 0 when the text names no port
};
// Understands "host", "host:port", "[v6 address]", "[v6 address]:port" and a bare IPv6
// address (two or more colons outside brackets: no port).  Blanks around the text and a
// leading pair of backslashes are dropped.  False for an empty host or a port that is not
// a number from 1 to 65535.
bool SplitHostPort(std::string_view text, HostAndPort& out);

// "host:port", with the host in brackets when it is an IPv6 address ("[::1]:53"): how
// every runner and sender prints a host with its port.
std::string FormatHostPort(std::string_view host, int port);

// One resolved address (with its port).
struct SocketAddress {
    sockaddr_storage Storage{};
    socklen_t Length = 0;

    int Family() const { return Storage.ss_family; }
    const sockaddr* Get() const { return reinterpret_cast<const sockaddr*>(&Storage); }
    // "127.0.0.1", "::1"; empty for another family.
    std::string Text() const;
    int Port() const;
    // FormatHostPort(Text(), Port()).
    std::string HostPortText() const;
};
// The address held in a sockaddr of `length` bytes.
SocketAddress ToSocketAddress(const sockaddr* address, socklen_t length);

// How a wait ended.
enum class NetWait { Ready, TimedOut, Cancelled, Failed };

struct ResolveOutcome {
    NetWait Status = NetWait::Failed;
    std::vector<SocketAddress> Addresses; // in the resolver's order; set when Ready
    std::string Error;                    // why not, when Failed
};
// Resolves `host` for `port` (0 allowed) and `socketType` (SOCK_STREAM, SOCK_DGRAM, ...)
// in `family` (AF_UNSPEC, AF_INET, AF_INET6).  Address texts resolve at once; names go to
// the system resolver on a helper thread so that a resolver that hangs cannot hold the
// run past its deadline (the helper finishes on its own afterwards).
ResolveOutcome ResolveHost(const std::string& host, int port, int socketType, int family,
                           const CRunDeadline& deadline);

// Answers look-ups of names (not of address texts) in place of the system resolver: the
// address texts of the name in order, or nothing to let the system resolver answer.
// Tests install one to have a name resolve to several loopback addresses.
using NameOverride = std::function<std::vector<std::string>(const std::string& name)>;
// Installs `override` (an empty function removes it); process-wide, thread-safe.
void SetNameOverride(NameOverride override);

// The end of the share of the time up to `until` that the next of `left` addresses gets
// when each address of a name is tried in turn: every address has its own slice of the
// time-out, so one that never answers cannot leave nothing for the others.
CRunDeadline::Clock::time_point ShareOf(CRunDeadline::Clock::time_point until, std::size_t left);

// Waits until `fd` reports one of `events` (POLLIN, POLLOUT), `until` passes or the run is
// cancelled.  Error and hang-up conditions count as Ready: the next call on the socket
// tells what happened.
NetWait WaitForSocket(int fd, short events, CRunDeadline::Clock::time_point until, const CRunDeadline& deadline);

struct ConnectOutcome {
    NetWait Status = NetWait::Failed;
    platform::UniqueFd Socket; // connected, non-blocking; set when Ready
    SocketAddress Peer;        // the address connected to, or the last one tried
    int Error = 0;             // errno of the last failure when Failed
};
// Connects to the addresses in turn, each within its share of the time up to `until`
// (ShareOf), until one accepts, all failed or the run is cancelled.  TimedOut when the
// last address tried did not answer in its share.
ConnectOutcome ConnectTcp(const std::vector<SocketAddress>& addresses, CRunDeadline::Clock::time_point until,
                          const CRunDeadline& deadline);

// Sends all of `data`.  Failed carries errno in `error`.
NetWait SendAll(int fd, std::string_view data, CRunDeadline::Clock::time_point until, const CRunDeadline& deadline,
                int* error = nullptr);
// Waits for data and appends what arrived (at most `most` bytes) to `out`.  Ready with
// `closed` set when the peer closed the connection instead.
NetWait ReceiveSome(int fd, std::string& out, std::size_t most, CRunDeadline::Clock::time_point until,
                    const CRunDeadline& deadline, bool& closed, int* error = nullptr);

// A connected, non-blocking UDP socket to `address` (so that the kernel reports an ICMP
// "port unreachable" for it as ECONNREFUSED); empty with errno in `error` when it cannot
// be had.
platform::UniqueFd ConnectUdp(const SocketAddress& address, int* error = nullptr);
// Sends the datagram on a socket of ConnectUdp and waits until `until` for the peer's
// system to refuse it.  Ready when no refusal came (nothing proves that a datagram
// arrived), Failed with errno in `error` (ECONNREFUSED) when the send or the wait saw one.
NetWait SendDatagram(int fd, std::string_view data, CRunDeadline::Clock::time_point until,
                     const CRunDeadline& deadline, int* error = nullptr);

// The system's text for an errno value ("Connection refused").
std::string ErrnoText(int error);
// A duration as the check list shows it: "12 ms", "<1 ms" below one millisecond.
std::string FormatMilliseconds(std::chrono::microseconds duration);
// The first line of a peer's answer, without control characters, cut to `most`
// characters with "..." (for responses shown in one line).
std::string FirstLine(std::string_view text, std::size_t most = 80);
