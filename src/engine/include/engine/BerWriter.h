#pragma once
// CBerWriter: writes values in the Basic Encoding Rules of ASN.1 as SNMP uses them
// (definite lengths, minimal integers), for the SNMP traps the engine sends.
// Constructed values (sequences, PDUs) are opened with Begin and closed with End; their
// length is filled in when they close.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class CBerWriter {
public:
    // Universal tags and the application tags of SNMP.
    static constexpr unsigned char kInteger = 0x02;
    static constexpr unsigned char kOctetString = 0x04;
    static constexpr unsigned char kNull = 0x05;
    static constexpr unsigned char kObjectId = 0x06;
    static constexpr unsigned char kSequence = 0x30;
    static constexpr unsigned char kIpAddress = 0x40;
    static constexpr unsigned char kCounter32 = 0x41;
    static constexpr unsigned char kGauge32 = 0x42;
    static constexpr unsigned char kTimeTicks = 0x43;
    static constexpr unsigned char kOpaque = 0x44;

    // A two's-complement integer in as few bytes as it needs.
    void Integer(std::int64_t value, unsigned char tag = kInteger);
    void OctetString(std::string_view bytes, unsigned char tag = kOctetString);
    void Null();
    // A dotted object identifier ("1.3.6.1.4.1.0", a leading "." allowed).  False, and
    // nothing written, when it is not one (see ParseObjectId).
    bool ObjectId(std::string_view dotted);
    void Begin(unsigned char tag = kSequence);
    // Closes the innermost open value; does nothing when none is open.
    void End();

    // The encoding; complete once every Begin has its End.
    const std::string& Bytes() const { return m_out; }
    bool Complete() const { return m_open.empty(); }

    // The arcs of a dotted object identifier: at least two, each a decimal number below
    // 2^32, the first 0, 1 or 2, and the second below 40 when the first is 0 or 1.
    static bool ParseObjectId(std::string_view dotted, std::vector<std::uint32_t>& arcs);

private:
    void Header(unsigned char tag, std::size_t length);

    std::string m_out;
    std::vector<std::size_t> m_open; // where the content of each open value starts
};
