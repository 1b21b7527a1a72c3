#pragma once
// How SNMP values are judged: the value conditions of SNMP GET checks and the filters by
// which SNMP Trap Receive checks pick the traps they react to.  Data types are the
// SnmpDataTypes codes (1 null ... 11 sequence, 0 any); operators the ComparisonOperators
// codes (1 "Equal To" ... 6 "Greater or Equal To").
#include "model/checks/CheckSettings.h"

#include <string>
#include <vector>

// Whether `actual <op> expected` holds with both read as values of data type `type`:
// counters, integers, time ticks and unsigned integers as whole numbers, IP addresses by
// their four numbers, object identifiers arc by arc (a leading "." ignored), anything else
// as text (letter case ignored when `ignoreCase`).  A side that cannot be read as `type`,
// or an unknown operator, makes it false.
bool SnmpComparisonHolds(int type, const std::string& actual, int op, const std::string& expected,
                         bool ignoreCase = false);

// The conditions of an SNMP GET check on the value the agent answered: the first, and
// with UseSecond the second too (AND), or one of them with EitherCondition (OR).
bool SnmpGetConditionsHold(const SnmpGetSettings& settings, const std::string& actual);

// One variable of a received trap: its OID, data type code and value as text.
struct TrapVariable {
    std::string Oid;
    int Type = 0;
    std::string Value;
    bool operator==(const TrapVariable&) const = default;
};

// A received trap as the filters see it.
struct ReceivedTrap {
    std::string Source; // the sender's address text ("127.0.0.1")
    int Version = 2;    // 1 SNMP v1, 2 SNMP v2c
    std::string Community;
    // The trap's OID: snmpTrapOID.0 of a v2c trap; for a v1 trap the enterprise OID of a
    // specific trap extended by ".0.<specific>", or the standard OID of a generic one.
    std::string Oid;
    std::string Enterprise; // v1 only: the enterprise OID as sent, also matched
    std::vector<TrapVariable> Variables;
    bool operator==(const ReceivedTrap&) const = default;
};

// Whether the trap passes every filter of the check: the host (empty or "*": any; else
// one of the names or addresses separated by "," or ";", compared with the source and
// with `hostAddresses`, the addresses those names resolve to), the version, the community
// ("*" or empty: any), the OID ("*" or empty: any; with OidSubtree also the OIDs below
// it) and, with MatchValue, a variable (the one named by VariableOid, or any) of the
// filter's data type (0: any) whose value meets the condition.
bool TrapMatches(const SnmpTrapSettings& settings, const ReceivedTrap& trap,
                 const std::vector<std::string>& hostAddresses = {});
