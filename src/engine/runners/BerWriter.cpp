#include "engine/BerWriter.h"

#include <charconv>

namespace {

std::string Length(std::size_t length) {
    std::string out;
    if (length < 0x80) {
        out += static_cast<char>(length);
        return out;
    }
    std::string digits;
    for (std::size_t rest = length; rest; rest >>= 8)
        digits.insert(digits.begin(), static_cast<char>(rest & 0xff));
    out += static_cast<char>(0x80 | digits.size());
    return out + digits;
}

void Base128(std::string& out, std::uint64_t value) {
    std::string digits(1, static_cast<char>(value & 0x7f));
    for (value >>= 7; value; value >>= 7)
        digits.insert(digits.begin(), static_cast<char>(0x80 | (value & 0x7f)));
    out += digits;
}

} // namespace

void CBerWriter::Header(unsigned char tag, std::size_t length) {
    m_out += static_cast<char>(tag);
    m_out += Length(length);
}

void CBerWriter::Integer(std::int64_t value, unsigned char tag) {
    std::string bytes;
    for (int shift = 56; shift >= 0; shift -= 8)
        bytes += static_cast<char>((static_cast<std::uint64_t>(value) >> shift) & 0xff);
    // Drop leading bytes that only repeat the sign of the next one.
    std::size_t first = 0;
    while (first + 1 < bytes.size()) {
        const auto b = static_cast<unsigned char>(bytes[first]);
        const auto next = static_cast<unsigned char>(bytes[first + 1]);
        if ((b == 0x00 && !(next & 0x80)) || (b == 0xff && (next & 0x80)))
            ++first;
        else
            break;
    }
    Header(tag, bytes.size() - first);
    m_out.append(bytes, first);
}

void CBerWriter::OctetString(std::string_view bytes, unsigned char tag) {
    Header(tag, bytes.size());
    m_out.append(bytes);
}

void CBerWriter::Null() {
    Header(kNull, 0);
}

bool CBerWriter::ParseObjectId(std::string_view dotted, std::vector<std::uint32_t>& arcs) {
    arcs.clear();
    if (!dotted.empty() && dotted.front() == '.')
        dotted.remove_prefix(1);
    while (!dotted.empty()) {
        const std::size_t dot = dotted.find('.');
        const std::string_view part = dotted.substr(0, dot);
        std::uint32_t arc = 0;
        const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), arc);
        if (part.empty() || error != std::errc() || end != part.data() + part.size())
            return false;
        arcs.push_back(arc);
        if (dot == std::string_view::npos)
            break;
        dotted.remove_prefix(dot + 1);
        if (dotted.empty())
            return false; // a final "."
    }
    return arcs.size() >= 2 && arcs[0] <= 2 && (arcs[0] == 2 || arcs[1] < 40);
}

bool CBerWriter::ObjectId(std::string_view dotted) {
    std::vector<std::uint32_t> arcs;
    if (!ParseObjectId(dotted, arcs))
        return false;
    std::string content;
    Base128(content, static_cast<std::uint64_t>(arcs[0]) * 40 + arcs[1]);
    for (std::size_t i = 2; i < arcs.size(); ++i)
        Base128(content, arcs[i]);
    Header(kObjectId, content.size());
    m_out += content;
    return true;
}

void CBerWriter::Begin(unsigned char tag) {
    m_out += static_cast<char>(tag);
    m_open.push_back(m_out.size());
}

void CBerWriter::End() {
    if (m_open.empty())
        return;
    const std::size_t start = m_open.back();
    m_open.pop_back();
    m_out.insert(start, Length(m_out.size() - start));
}
