#pragma once
// CTrapReceiver: the engine's SNMP trap receiver.  Listens on a UDP port for SNMP v1 traps
// and v2c notifications, drops those of other communities when the settings name one,
// hands every other trap to a sink (on its own thread) and writes it to the text log of
// received traps when logging is on.
#include "engine/SnmpMessage.h"
#include "library/QvcString.h"
#include "model/checks/SnmpValueRules.h"

#include <atomic>
#include <functional>
#include <string>
#include <thread>

class CSnAdvSnmpTrapRcvSettings;

// The trap as the filters see it, from a message read from `source`; false for a message
// that is no trap.  A v1 trap's OID is that of RFC 3584: the standard trap OID
// 1.3.6.1.6.3.1.1.5.<generic + 1> for a generic trap, else "<enterprise>.0.<specific>".
bool TrapFromMessage(const SnmpMessage& message, const std::string& source, ReceivedTrap& out);
// One line of the text log: source, version, community, OID and "oid=value" of each
// variable, joined by `separator`.
std::string TrapLogLine(const ReceivedTrap& trap, const std::string& separator);
// "SNMP v2c trap 1.3.6.1... from 127.0.0.1: 1.3.6.1...=disk full, ...": what a check shows
// of the trap that set its status (at most about 200 characters).
std::string DescribeTrap(const ReceivedTrap& trap);

class CTrapReceiver {
public:
    using Sink = std::function<void(ReceivedTrap)>;
    // Opens the port on every interface of the computer; Error() says why it could not.
    CTrapReceiver(const CSnAdvSnmpTrapRcvSettings& settings, CQvcString engineRoot, Sink sink);
    ~CTrapReceiver();
    CTrapReceiver(const CTrapReceiver&) = delete;
    CTrapReceiver& operator=(const CTrapReceiver&) = delete;

    bool Listening() const { return m_fd >= 0; }
    int Port() const { return m_port; }
    const std::string& Error() const { return m_error; }

private:
    void Serve();
    void Take(std::string_view datagram, const std::string& source);

    int m_fd = -1;
    int m_port = 0;
    std::string m_error;
    std::string m_community; // empty: every community
    std::string m_log;       // stored path of the text log; empty: none
    std::string m_separator;
    CQvcString m_root;
    Sink m_sink;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
