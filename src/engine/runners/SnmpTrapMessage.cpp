#include "engine/SnmpTrapMessage.h"

#include "engine/BerWriter.h"

#include <arpa/inet.h>

#include <charconv>

namespace {

constexpr const char* kSysUpTime = "1.3.6.1.2.1.1.3.0";
constexpr const char* kSnmpTrapOid = "1.3.6.1.6.3.1.1.4.1.0";
constexpr const char* kStandardTraps = "1.3.6.1.6.3.1.1.5.";

template <class T> bool Number(const std::string& text, T& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

// Writes the value in its type; false when it does not fit.
long Value(CBerWriter& ber, const SnmpTrapContent& content, std::string& why) {
    const std::string& value = content.Value;
    auto mismatch = [&](const char* type) {
        why = "Value '" + value + "' is not " + type;
        return 22232L;
    };
    switch (content.ValueType) {
    case 0:
    case kSnmpString:
    case kSnmpBits:
        ber.OctetString(value);
        return 0;
    case kSnmpOpaque:
        ber.OctetString(value, CBerWriter::kOpaque);
        return 0;
    case kSnmpNull:
        ber.Null();
        return 0;
    case kSnmpInteger: {
        std::int32_t number = 0;
        if (!Number(value, number))
            return mismatch("an integer (-2147483648 to 2147483647)");
        ber.Integer(number);
        return 0;
    }
    case kSnmpCounter:
    case kSnmpTimeTicks:
    case kSnmpUnsigned: {
        std::uint32_t number = 0;
        if (!Number(value, number))
            return mismatch("an unsigned number (0 to 4294967295)");
        const unsigned char tag = content.ValueType == kSnmpCounter    ? CBerWriter::kCounter32
                                  : content.ValueType == kSnmpTimeTicks ? CBerWriter::kTimeTicks
                                                                        : CBerWriter::kGauge32;
        ber.Integer(number, tag);
        return 0;
    }
    case kSnmpIpAddress: {
        in_addr address{};
        if (::inet_pton(AF_INET, value.c_str(), &address) != 1)
            return mismatch("an IPv4 address");
        ber.OctetString(std::string_view(reinterpret_cast<const char*>(&address), 4), CBerWriter::kIpAddress);
        return 0;
    }
    case kSnmpObjectId:
        if (!ber.ObjectId(value))
            return mismatch("an object identifier");
        return 0;
    default:
        why = "Data type " + std::to_string(content.ValueType) + " cannot be sent in a trap";
        return 22231;
    }
}

} // namespace

long BuildSnmpTrap(const SnmpTrapContent& content, std::string& out, std::string& why) {
    out.clear();
    std::vector<std::uint32_t> arcs;
    if (content.Community.empty()) {
        why = "No community given";
        return 22203;
    }
    if (!CBerWriter::ParseObjectId(content.Oid, arcs)) {
        why = "OID '" + content.Oid + "' is not valid";
        return 22204;
    }
    if (content.GenericTrap < 0 || content.GenericTrap > 6) {
        why = "Generic trap " + std::to_string(content.GenericTrap) + " is not one of 0 to 6";
        return 22227;
    }
    const bool v1 = content.Version == 1;

    CBerWriter ber;
    ber.Begin();
    ber.Integer(v1 ? 0 : 1);
    ber.OctetString(content.Community);
    if (v1) {
        ber.Begin(0xA4); // Trap-PDU
        ber.ObjectId(content.Oid);
        const std::uint32_t agent = htonl(content.AgentAddress);
        ber.OctetString(std::string_view(reinterpret_cast<const char*>(&agent), 4), CBerWriter::kIpAddress);
        ber.Integer(content.GenericTrap);
        ber.Integer(0);
        ber.Integer(content.Uptime, CBerWriter::kTimeTicks);
    } else {
        ber.Begin(0xA7); // SNMPv2-Trap-PDU
        ber.Integer(content.RequestId);
        ber.Integer(0);
        ber.Integer(0);
    }
    ber.Begin(); // variable bindings
    if (!v1) {
        ber.Begin();
        ber.ObjectId(kSysUpTime);
        ber.Integer(content.Uptime, CBerWriter::kTimeTicks);
        ber.End();
        ber.Begin();
        ber.ObjectId(kSnmpTrapOid);
        ber.ObjectId(content.GenericTrap == 6 ? content.Oid
                                              : std::string(kStandardTraps) + std::to_string(content.GenericTrap + 1));
        ber.End();
    }
    ber.Begin();
    ber.ObjectId(content.Oid);
    if (const long code = Value(ber, content, why); code != 0)
        return code;
    ber.End();
    for (const auto& [oid, text] : content.Texts) {
        ber.Begin();
        if (!ber.ObjectId(oid)) {
            why = "OID '" + oid + "' is not valid";
            return 22204;
        }
        ber.OctetString(text);
        ber.End();
    }
    ber.End(); // bindings
    ber.End(); // PDU
    ber.End(); // message
    out = ber.Bytes();
    return 0;
}
