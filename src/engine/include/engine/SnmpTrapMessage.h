#pragma once
// The SNMP trap the engine sends as a notification: an SNMPv1 Trap-PDU or an SNMPv2c
// notification, carrying one variable (the configured OID and value).
//
// SNMPv1: enterprise = the OID, agent-addr = the address the engine sends from,
// generic-trap as configured, specific-trap 0, time-stamp = the system's uptime, and the
// variable OID = value.
// SNMPv2c: sysUpTime.0, snmpTrapOID.0 and then OID = value.  snmpTrapOID.0 is the
// standard trap of a generic trap 0 to 5 (coldStart ... egpNeighborLoss, 1.3.6.1.6.3.1.1.5.1
// to .6) and the configured OID itself for an enterprise-specific trap (6).
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// Codes of the value's data type, as the settings and the request store them.
enum SnmpValueType : int {
    kSnmpNull = 1,
    kSnmpBits = 2,
    kSnmpCounter = 3,
    kSnmpInteger = 4,
    kSnmpIpAddress = 5,
    kSnmpObjectId = 6,
    kSnmpOpaque = 7,
    kSnmpString = 8,
    kSnmpTimeTicks = 9,
    kSnmpUnsigned = 10,
    kSnmpSequence = 11,
};

struct SnmpTrapContent {
    int Version = 1; // 1: SNMPv1; any other value: SNMPv2c
    std::string Community;
    std::string Oid;
    std::string Value;
    int ValueType = kSnmpString; // 0 (not set) is sent as a string
    int GenericTrap = 6;         // 0 to 6
    std::uint32_t AgentAddress = 0; // SNMPv1 agent-addr, host byte order
    std::uint32_t Uptime = 0;       // hundredths of a second
    std::int32_t RequestId = 0;     // SNMPv2c
    // More variables after the first, each an OID and a text (OCTET STRING).
    std::vector<std::pair<std::string, std::string>> Texts;
};

// Builds the message into `out`.  Returns 0, or the SNMP error code with the reason in
// `why`: 22203 no community, 22204 an OID that is not valid, 22231 a data type that
// cannot be sent (sequence, unknown codes), 22232 a value that does not fit its type,
// 22227 a generic trap outside 0 to 6.
long BuildSnmpTrap(const SnmpTrapContent& content, std::string& out, std::string& why);
