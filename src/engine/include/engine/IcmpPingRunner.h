#pragma once
// CIcmpPingRunner: ICMP Ping (10): echo requests to a host, one after the other until one
// is answered.  It uses an ICMP datagram socket where the system allows it to this user
// (net.ipv4.ping_group_range), otherwise a raw socket when the engine has the right to
// one (root, CAP_NET_RAW); without either the outcome is Uncertain and says why.
#include "engine/CheckRunner.h"

class CIcmpPingRunner final : public ICheckRunner {
public:
    // Which sockets the runner may open.  The engine allows both; DatagramOnly plays an
    // engine without the right to raw sockets.
    enum class Sockets { DatagramOrRaw, DatagramOnly };

    explicit CIcmpPingRunner(Sockets sockets = Sockets::DatagramOrRaw) : m_sockets(sockets) {}
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;

    // The response when no ICMP socket may be opened.
    static constexpr const char* kNotPermitted =
        "ICMP sockets are not permitted for this user (net.ipv4.ping_group_range)";

private:
    Sockets m_sockets;
};
