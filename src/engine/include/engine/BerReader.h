#pragma once
// Reads values in the Basic Encoding Rules of ASN.1 as SNMP uses them (definite lengths):
// the answers of SNMP agents and the traps the engine receives.  Every reader checks the
// bounds of what it reads, so a malformed datagram yields "nothing", never a crash.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ber {

// One decoded value: its tag, its content bytes and, for constructed values, its parts.
struct Tlv {
    unsigned char Tag = 0;
    std::string Content;
    std::vector<Tlv> Parts;

    bool Constructed() const { return (Tag & 0x20) != 0; }
};

// The single value that fills `bytes`; nothing when the bytes are cut short, a length runs
// past the data, values nest deeper than SNMP ever does, or bytes follow the value.
std::optional<Tlv> Decode(std::string_view bytes);

// The content as a two's-complement integer (INTEGER); nothing when longer than 8 bytes.
std::optional<std::int64_t> Integer(const Tlv& tlv);
// The content as an unsigned integer (Counter32, Gauge32, TimeTicks, Counter64): the
// leading zero byte that keeps the top bit clear is allowed; nothing when it does not fit.
std::optional<std::uint64_t> Unsigned(const Tlv& tlv);
// The content as a dotted object identifier ("1.3.6.1.2.1.1.3.0"); nothing when it is not.
std::optional<std::string> ObjectId(const Tlv& tlv);

// Bytes as hex pairs separated by blanks ("30 82 01 FB").
std::string Hex(std::string_view bytes);
// The value in one line, for logs and tests: constructed values as "<tag>{...}", integers
// and the unsigned SNMP types as "<tag>:<value>", object identifiers dotted, strings
// quoted, anything else as "<tag>:<hex>".
std::string Render(const Tlv& tlv);

} // namespace ber
