#pragma once
// SNMP v1 / v2c messages as the engine reads and writes them besides its own traps: the
// GetRequest of SNMP GET checks, and the reading of any message (responses and traps)
// into its version, community, PDU and variables with their values as text.
#include "engine/BerReader.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// PDU tags.
inline constexpr unsigned char kSnmpGetRequest = 0xA0;
inline constexpr unsigned char kSnmpResponse = 0xA2;
inline constexpr unsigned char kSnmpTrapV1 = 0xA4;
inline constexpr unsigned char kSnmpTrapV2 = 0xA7;

// A GetRequest for one OID; `version` 0 is SNMP v1, 1 SNMP v2c.  Empty when `oid` is not
// an object identifier.
std::string BuildSnmpGet(int version, const std::string& community, std::int32_t requestId, const std::string& oid);

// A value of a variable: its data type code (SnmpValueType; 0 for the v2c exceptions and
// unknown tags), its text, and for noSuchObject / noSuchInstance / endOfMibView the
// exception's name ("an unreadable Counter64" for a number that does not fit its type).  Octet strings are shown as they are when printable, else in hex.
struct SnmpValueText {
    int Type = 0;
    std::string Text;
    std::string Exception;
    // "String", "TimeTicks", ... for responses.
    std::string TypeName;
};
SnmpValueText ReadSnmpValue(const ber::Tlv& value);

struct SnmpVariable {
    std::string Oid;
    SnmpValueText Value;
};

// A message read: version (0 v1, 1 v2c), community, PDU tag, and the fields of the PDU.
struct SnmpMessage {
    int Version = 0;
    std::string Community;
    unsigned char Pdu = 0;
    std::int32_t RequestId = 0;
    int ErrorStatus = 0;
    int ErrorIndex = 0;
    // v1 traps.
    std::string Enterprise;
    std::string AgentAddress;
    int GenericTrap = 0;
    int SpecificTrap = 0;
    std::vector<SnmpVariable> Variables;
};
// False, with the reason in `why`, for bytes that are no SNMP v1 / v2c message.
bool ReadSnmpMessage(std::string_view bytes, SnmpMessage& out, std::string& why);

// The name of an SNMP error-status code ("noSuchName", "tooBig", ...).
std::string SnmpErrorName(int status);
