#pragma once
// A small BER reader for the tests of what the engine writes in BER (SNMP traps).
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace bertest {

// One decoded value: its tag, its content bytes and, for constructed values, its parts.
struct Tlv {
    unsigned char Tag = 0;
    std::string Content;
    std::vector<Tlv> Parts;
};

inline Tlv Decode(std::string_view bytes, std::size_t& at) {
    if (at + 2 > bytes.size())
        throw std::runtime_error("cut short");
    Tlv tlv;
    tlv.Tag = static_cast<unsigned char>(bytes[at++]);
    std::size_t length = static_cast<unsigned char>(bytes[at++]);
    if (length & 0x80) {
        const std::size_t count = length & 0x7f;
        length = 0;
        for (std::size_t i = 0; i < count; ++i)
            length = (length << 8) | static_cast<unsigned char>(bytes.at(at++));
    }
    if (at + length > bytes.size())
        throw std::runtime_error("length beyond the data");
    tlv.Content = std::string(bytes.substr(at, length));
    at += length;
    if (tlv.Tag & 0x20) { // constructed
        std::size_t inner = 0;
        while (inner < tlv.Content.size())
            tlv.Parts.push_back(Decode(tlv.Content, inner));
    }
    return tlv;
}

inline Tlv DecodeAll(const std::string& bytes) {
    std::size_t at = 0;
    Tlv tlv = Decode(bytes, at);
    if (at != bytes.size())
        throw std::runtime_error("bytes after the message");
    return tlv;
}

inline long long Integer(const Tlv& tlv) {
    long long value = (!tlv.Content.empty() && (tlv.Content[0] & 0x80)) ? -1 : 0;
    for (char c : tlv.Content)
        value = (value << 8) | static_cast<unsigned char>(c);
    return value;
}

inline std::string Oid(const Tlv& tlv) {
    std::string out;
    unsigned long long arc = 0;
    bool first = true;
    for (char c : tlv.Content) {
        arc = (arc << 7) | (static_cast<unsigned char>(c) & 0x7f);
        if (c & 0x80)
            continue;
        if (first) {
            const unsigned long long top = arc < 80 ? arc / 40 : 2;
            out = std::to_string(top) + "." + std::to_string(arc - top * 40);
            first = false;
        } else {
            out += "." + std::to_string(arc);
        }
        arc = 0;
    }
    return out;
}

inline std::string Hex(const std::string& bytes) {
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += digits[(static_cast<unsigned char>(c) >> 4) & 0xf];
        out += digits[static_cast<unsigned char>(c) & 0xf];
    }
    return out;
}

// The decoded message in one line: sequences and PDUs as "<tag>{...}", integers and the
// unsigned SNMP types as "<tag>:<value>", object identifiers dotted, strings quoted,
// anything else in hex.
inline std::string Render(const Tlv& tlv) {
    char tag[4];
    std::snprintf(tag, sizeof tag, "%02X", tlv.Tag);
    if (tlv.Tag & 0x20) {
        std::string out = std::string(tag) + "{";
        for (const Tlv& part : tlv.Parts)
            out += (&part == &tlv.Parts.front() ? "" : " ") + Render(part);
        return out + "}";
    }
    switch (tlv.Tag) {
    case 0x02:
    case 0x41:
    case 0x42:
    case 0x43:
        return std::string(tag) + ":" + std::to_string(Integer(tlv));
    case 0x06:
        return Oid(tlv);
    case 0x04:
        return "'" + tlv.Content + "'";
    default:
        return std::string(tag) + ":" + Hex(tlv.Content);
    }
}

} // namespace bertest
