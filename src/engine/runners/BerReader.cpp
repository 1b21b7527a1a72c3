#include "engine/BerReader.h"

#include <cstdio>

namespace ber {
namespace {

// Deeper than any SNMP message (message, PDU, bindings, binding, value).
constexpr int kMostDepth = 16;

bool DecodeAt(std::string_view bytes, std::size_t& at, Tlv& out, int depth) {
    if (depth > kMostDepth || bytes.size() - at < 2)
        return false;
    out.Tag = static_cast<unsigned char>(bytes[at++]);
    if ((out.Tag & 0x1f) == 0x1f) // multi-byte tags do not occur in SNMP
        return false;
    std::size_t length = static_cast<unsigned char>(bytes[at++]);
    if (length & 0x80) {
        const std::size_t count = length & 0x7f;
        if (count == 0 || count > 4 || bytes.size() - at < count) // no indefinite lengths
            return false;
        length = 0;
        for (std::size_t i = 0; i < count; ++i)
            length = (length << 8) | static_cast<unsigned char>(bytes[at++]);
    }
    if (length > bytes.size() - at)
        return false;
    out.Content = std::string(bytes.substr(at, length));
    at += length;
    out.Parts.clear();
    if (out.Constructed()) {
        std::size_t inner = 0;
        while (inner < out.Content.size()) {
            Tlv part;
            if (!DecodeAt(out.Content, inner, part, depth + 1))
                return false;
            out.Parts.push_back(std::move(part));
        }
    }
    return true;
}

} // namespace

std::optional<Tlv> Decode(std::string_view bytes) {
    std::size_t at = 0;
    Tlv tlv;
    if (!DecodeAt(bytes, at, tlv, 0) || at != bytes.size())
        return std::nullopt;
    return tlv;
}

std::optional<std::int64_t> Integer(const Tlv& tlv) {
    if (tlv.Content.empty() || tlv.Content.size() > 8)
        return std::nullopt;
    std::uint64_t value = (tlv.Content[0] & 0x80) ? ~std::uint64_t{0} : 0;
    for (char c : tlv.Content)
        value = (value << 8) | static_cast<unsigned char>(c);
    return static_cast<std::int64_t>(value);
}

std::optional<std::uint64_t> Unsigned(const Tlv& tlv) {
    std::string_view digits = tlv.Content;
    if (digits.size() == 9 && digits[0] == 0)
        digits.remove_prefix(1);
    if (digits.empty() || digits.size() > 8)
        return std::nullopt;
    std::uint64_t value = 0;
    for (char c : digits)
        value = (value << 8) | static_cast<unsigned char>(c);
    return value;
}

std::optional<std::string> ObjectId(const Tlv& tlv) {
    if (tlv.Content.empty() || (tlv.Content.back() & 0x80))
        return std::nullopt;
    std::string out;
    std::uint64_t arc = 0;
    bool first = true;
    for (char c : tlv.Content) {
        if (arc > (~std::uint64_t{0} >> 7))
            return std::nullopt;
        arc = (arc << 7) | (static_cast<unsigned char>(c) & 0x7f);
        if (c & 0x80)
            continue;
        if (first) {
            const std::uint64_t top = arc < 80 ? arc / 40 : 2;
            out = std::to_string(top);
            out += '.';
            out += std::to_string(arc - top * 40);
            first = false;
        } else {
            (out += '.') += std::to_string(arc);
        }
        arc = 0;
    }
    return out;
}

std::string Hex(std::string_view bytes) {
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

std::string Render(const Tlv& tlv) {
    char tag[4];
    std::snprintf(tag, sizeof tag, "%02X", tlv.Tag);
    if (tlv.Constructed()) {
        std::string out = std::string(tag) + "{";
        for (const Tlv& part : tlv.Parts) {
            if (&part != &tlv.Parts.front())
                out += ' ';
            out += Render(part);
        }
        return out + "}";
    }
    std::optional<std::string> text;
    switch (tlv.Tag) {
    case 0x02:
        if (const auto value = Integer(tlv))
            text = std::string(tag) + ":" + std::to_string(*value);
        break;
    case 0x41:
    case 0x42:
    case 0x43:
    case 0x46:
        if (const auto value = Unsigned(tlv))
            text = std::string(tag) + ":" + std::to_string(*value);
        break;
    case 0x06:
        text = ObjectId(tlv);
        break;
    case 0x04:
        text = "'" + tlv.Content + "'";
        break;
    default:
        break;
    }
    return text ? *text : std::string(tag) + ":" + Hex(tlv.Content);
}

} // namespace ber
