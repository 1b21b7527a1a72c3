#pragma once
// ICMP echo on Linux, shared by the engine's ping check and by network discovery: opening
// an ICMP socket (the unprivileged datagram kind where net.ipv4.ping_group_range allows
// it, else a raw socket for root or CAP_NET_RAW), building echo requests and reading the
// replies and error reports that belong to one request.  Sockets are non-blocking; the
// callers wait on them as they see fit.
#include "platform/UniqueFd.h"

#include <sys/socket.h>

#include <cstdint>
#include <string>

struct IcmpSocket {
    platform::UniqueFd Fd;
    int Family = AF_INET;
    bool Raw = false;
    std::uint16_t Id = 0; // ours on a raw socket; the system sets it on a datagram socket
};

enum class IcmpOpened { Ok, NotPermitted, Failed };

// Opens an ICMP socket of `family` (AF_INET, AF_INET6): a datagram socket, or a raw one
// when that is refused and `allowRaw`.  NotPermitted when the system refuses both (or the
// datagram kind without `allowRaw`); Failed for any other error.  errno in `error`.
IcmpOpened OpenIcmpSocket(int family, bool allowRaw, IcmpSocket& out, int& error);

// Sets the time to live (hop limit) of the requests.
bool SetIcmpTtl(const IcmpSocket& socket, int ttl);

// A first sequence number for a run of requests, different from run to run, so that a
// late reply to an earlier run is not taken for an answer.
std::uint16_t IcmpFirstSequence();

// An echo request with `payloadBytes` of filler after the header, checksummed for IPv4
// (the system fills the ICMPv6 checksum).
std::string IcmpEchoRequest(const IcmpSocket& socket, std::uint16_t sequence, int payloadBytes);

struct IcmpReply {
    enum class Kind { None, Echo, Unreachable, TimeExceeded };
    Kind What = Kind::None;
    std::string From; // address text of the sender
    int Ttl = -1;
    int Code = 0; // the ICMP code of an error report
};

// Reads one waiting message (from the socket's error queue when `errors`): an echo reply
// to `sequence`, or an error report that quotes that request.  Kind::None when nothing
// was waiting or the message belongs to another request.
IcmpReply ReadIcmpReply(const IcmpSocket& socket, std::uint16_t sequence, bool errors);

// Empties the socket's queues.
void DrainIcmpSocket(const IcmpSocket& socket);
