#include "engine/SnmpMessage.h"

#include "engine/BerWriter.h"
#include "engine/SnmpTrapMessage.h"

#include <algorithm>
#include <cctype>

std::string BuildSnmpGet(int version, const std::string& community, std::int32_t requestId, const std::string& oid) {
    CBerWriter ber;
    ber.Begin();
    ber.Integer(version);
    ber.OctetString(community);
    ber.Begin(kSnmpGetRequest);
    ber.Integer(requestId);
    ber.Integer(0);
    ber.Integer(0);
    ber.Begin();
    ber.Begin();
    if (!ber.ObjectId(oid))
        return {};
    ber.Null();
    ber.End();
    ber.End();
    ber.End();
    ber.End();
    return ber.Bytes();
}

SnmpValueText ReadSnmpValue(const ber::Tlv& value) {
    SnmpValueText out;
    const auto number = [&](int type, const char* name, bool isSigned, bool wide = false) {
        out.Type = type;
        out.TypeName = name;
        if (isSigned) {
            if (const auto v = ber::Integer(value))
                out.Text = std::to_string(*v);
        } else if (const auto v = ber::Unsigned(value); v && (wide || *v <= 0xffffffffULL)) {
            out.Text = std::to_string(*v);
        }
        if (out.Text.empty())
            out.Exception = std::string("an unreadable ") + name;
    };
    switch (value.Tag) {
    case 0x02:
        number(kSnmpInteger, "Integer", true);
        break;
    case 0x41:
        number(kSnmpCounter, "Counter32", false);
        break;
    case 0x46:
        number(kSnmpCounter, "Counter64", false, true);
        break;
    case 0x42:
        number(kSnmpUnsigned, "Gauge32", false);
        break;
    case 0x43:
        number(kSnmpTimeTicks, "TimeTicks", false);
        break;
    case 0x04: {
        out.Type = kSnmpString;
        out.TypeName = "String";
        const bool printable = std::all_of(value.Content.begin(), value.Content.end(), [](char c) {
            return std::isprint(static_cast<unsigned char>(c)) || c == '\t' || c == '\r' || c == '\n';
        });
        out.Text = printable ? value.Content : ber::Hex(value.Content);
        break;
    }
    case 0x06:
        out.Type = kSnmpObjectId;
        out.TypeName = "OID";
        out.Text = ber::ObjectId(value).value_or("");
        break;
    case 0x40:
        out.Type = kSnmpIpAddress;
        out.TypeName = "IpAddress";
        for (char c : value.Content)
            (out.Text += out.Text.empty() ? "" : ".") += std::to_string(static_cast<unsigned char>(c));
        break;
    case 0x05:
        out.Type = kSnmpNull;
        out.TypeName = "Null";
        break;
    case 0x03:
        out.Type = kSnmpBits;
        out.TypeName = "Bits";
        out.Text = ber::Hex(value.Content);
        break;
    case 0x44:
        out.Type = kSnmpOpaque;
        out.TypeName = "Opaque";
        out.Text = ber::Hex(value.Content);
        break;
    case 0x80:
        out.Exception = "noSuchObject";
        break;
    case 0x81:
        out.Exception = "noSuchInstance";
        break;
    case 0x82:
        out.Exception = "endOfMibView";
        break;
    default:
        if (value.Constructed()) {
            out.Type = kSnmpSequence;
            out.TypeName = "Sequence";
        }
        out.Text = ber::Render(value);
        break;
    }
    return out;
}

bool ReadSnmpMessage(std::string_view bytes, SnmpMessage& out, std::string& why) {
    const std::optional<ber::Tlv> message = ber::Decode(bytes);
    if (!message || message->Tag != 0x30 || message->Parts.size() != 3) {
        why = "not an SNMP message";
        return false;
    }
    const auto& parts = message->Parts;
    const auto version = ber::Integer(parts[0]);
    if (parts[0].Tag != 0x02 || !version || (*version != 0 && *version != 1)) {
        why = "not SNMP v1 or v2c";
        return false;
    }
    out.Version = static_cast<int>(*version);
    out.Community = parts[1].Content;
    const ber::Tlv& pdu = parts[2];
    out.Pdu = pdu.Tag;
    const auto integer = [](const ber::Tlv& tlv) { return static_cast<int>(ber::Integer(tlv).value_or(0)); };
    std::size_t bindings = 0;
    if (pdu.Tag == kSnmpTrapV1 && pdu.Parts.size() == 6) {
        out.Enterprise = ber::ObjectId(pdu.Parts[0]).value_or("");
        out.AgentAddress = ReadSnmpValue(pdu.Parts[1]).Text;
        out.GenericTrap = integer(pdu.Parts[2]);
        out.SpecificTrap = integer(pdu.Parts[3]);
        bindings = 5;
    } else if (pdu.Constructed() && pdu.Tag != kSnmpTrapV1 && pdu.Parts.size() == 4) {
        out.RequestId = integer(pdu.Parts[0]);
        out.ErrorStatus = integer(pdu.Parts[1]);
        out.ErrorIndex = integer(pdu.Parts[2]);
        bindings = 3;
    } else {
        why = "not an SNMP PDU";
        return false;
    }
    for (const ber::Tlv& binding : pdu.Parts[bindings].Parts) {
        if (binding.Parts.size() != 2 || binding.Parts[0].Tag != 0x06) {
            why = "a variable binding that is not one";
            return false;
        }
        out.Variables.push_back({ber::ObjectId(binding.Parts[0]).value_or(""), ReadSnmpValue(binding.Parts[1])});
    }
    return true;
}

std::string SnmpErrorName(int status) {
    static const char* const kNames[] = {"noError",     "tooBig",          "noSuchName",       "badValue",
                                         "readOnly",    "genErr",          "noAccess",         "wrongType",
                                         "wrongLength", "wrongEncoding",   "wrongValue",       "noCreation",
                                         "inconsistentValue", "resourceUnavailable", "commitFailed", "undoFailed",
                                         "authorizationError", "notWritable", "inconsistentName"};
    if (status >= 0 && status < static_cast<int>(std::size(kNames)))
        return kNames[status];
    return "error " + std::to_string(status);
}
