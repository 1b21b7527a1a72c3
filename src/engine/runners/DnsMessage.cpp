#include "engine/DnsMessage.h"

#include <arpa/inet.h>

namespace {

constexpr std::size_t kHeaderBytes = 12;

std::uint16_t Read16(std::string_view m, std::size_t at) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(m[at]) << 8) | static_cast<unsigned char>(m[at + 1]));
}

std::uint32_t Read32(std::string_view m, std::size_t at) {
    return (static_cast<std::uint32_t>(Read16(m, at)) << 16) | Read16(m, at + 2);
}

void Put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value >> 8);
    out += static_cast<char>(value & 0xff);
}

// Reads a possibly compressed name starting at `at`; `next` is where the data after the
// name begins in the record.  Pointers must lead backwards, so a loop cannot form.
bool ReadName(std::string_view m, std::size_t at, std::string& name, std::size_t& next) {
    name.clear();
    bool jumped = false;
    std::size_t limit = at; // a pointer must point before the place it was found
    for (int labels = 0; labels < 128; ++labels) {
        if (at >= m.size())
            return false;
        const auto length = static_cast<unsigned char>(m[at]);
        if (length == 0) {
            if (!jumped)
                next = at + 1;
            return true;
        }
        if ((length & 0xC0) == 0xC0) {
            if (at + 1 >= m.size())
                return false;
            const std::size_t target = Read16(m, at) & 0x3FFF;
            if (target >= limit)
                return false;
            if (!jumped)
                next = at + 2;
            jumped = true;
            limit = target;
            at = target;
            continue;
        }
        if ((length & 0xC0) != 0 || at + 1 + length > m.size())
            return false;
        if (!name.empty())
            name += '.';
        name.append(m.substr(at + 1, length));
        at += 1 + length;
    }
    return false;
}

} // namespace

bool BuildDnsQuery(std::uint16_t id, std::string_view name, std::uint16_t type, bool recursion, std::string& out) {
    out.clear();
    if (!name.empty() && name.back() == '.')
        name.remove_suffix(1);
    if (name.empty() || name.size() > 253)
        return false;
    Put16(out, id);
    Put16(out, recursion ? 0x0100 : 0x0000); // a standard query; RD when asked
    Put16(out, 1);                           // one question
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, 0);
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t dot = name.find('.', start);
        if (dot == std::string_view::npos)
            dot = name.size();
        const std::size_t length = dot - start;
        if (length == 0 || length > 63) {
            out.clear();
            return false;
        }
        out += static_cast<char>(length);
        out.append(name.substr(start, length));
        start = dot + 1;
    }
    out += '\0';
    Put16(out, type);
    Put16(out, 1); // class IN
    return true;
}

bool ParseDnsResponse(std::string_view m, DnsResponse& out, std::string& why) {
    out = DnsResponse{};
    if (m.size() < kHeaderBytes) {
        why = "The answer is too short";
        return false;
    }
    out.Id = Read16(m, 0);
    const std::uint16_t flags = Read16(m, 2);
    if ((flags & 0x8000) == 0) {
        why = "The answer is not a response";
        return false;
    }
    out.Authoritative = (flags & 0x0400) != 0;
    out.Truncated = (flags & 0x0200) != 0;
    out.Rcode = flags & 0x000F;
    const std::uint16_t questions = Read16(m, 4);
    const std::uint16_t answers = Read16(m, 6);

    std::size_t at = kHeaderBytes;
    std::string name;
    for (std::uint16_t i = 0; i < questions; ++i) {
        std::size_t next = 0;
        if (!ReadName(m, at, name, next) || next + 4 > m.size()) {
            why = "The question of the answer is malformed";
            return false;
        }
        at = next + 4;
    }
    for (std::uint16_t i = 0; i < answers; ++i) {
        DnsRecord record;
        std::size_t next = 0;
        if (!ReadName(m, at, record.Owner, next) || next + 10 > m.size()) {
            if (out.Truncated)
                return true; // a cut answer keeps the records read so far
            why = "A record of the answer is malformed";
            return false;
        }
        record.Type = Read16(m, next);
        record.Ttl = Read32(m, next + 4);
        const std::uint16_t length = Read16(m, next + 8);
        const std::size_t data = next + 10;
        if (data + length > m.size()) {
            if (out.Truncated)
                return true;
            why = "A record of the answer is cut short";
            return false;
        }
        char text[INET6_ADDRSTRLEN] = {};
        std::size_t unused = 0;
        switch (record.Type) {
        case kDnsA:
            if (length == 4 && ::inet_ntop(AF_INET, m.data() + data, text, sizeof text))
                record.Data = text;
            break;
        case kDnsAaaa:
            if (length == 16 && ::inet_ntop(AF_INET6, m.data() + data, text, sizeof text))
                record.Data = text;
            break;
        case kDnsCname:
            if (!ReadName(m.substr(0, data + length), data, record.Data, unused)) {
                why = "A CNAME record of the answer is malformed";
                return false;
            }
            break;
        case kDnsMx:
            if (length < 3 || !ReadName(m.substr(0, data + length), data + 2, record.Data, unused)) {
                why = "An MX record of the answer is malformed";
                return false;
            }
            record.Preference = Read16(m, data);
            break;
        default:
            break;
        }
        out.Answers.push_back(std::move(record));
        at = data + length;
    }
    return true;
}

std::string DnsRcodeText(int rcode) {
    switch (rcode) {
    case 0:
        return "NOERROR";
    case 1:
        return "FORMERR: the server could not read the query";
    case 2:
        return "SERVFAIL: the server failed to answer";
    case 3:
        return "NXDOMAIN: the name does not exist";
    case 4:
        return "NOTIMP: the server does not support the query";
    case 5:
        return "REFUSED: the server refused to answer";
    default:
        return "response code " + std::to_string(rcode);
    }
}
