#pragma once
// DNS messages of the DNS check (RFC 1035): building one query and reading the answer.
// Only what the check needs: one question, the answer section, and the A, AAAA, MX and
// CNAME records in it (other records are kept with empty data).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum DnsRecordType : std::uint16_t { kDnsA = 1, kDnsCname = 5, kDnsMx = 15, kDnsAaaa = 28 };

struct DnsRecord {
    std::uint16_t Type = 0;
    std::string Owner;             // the name the record belongs to, without a final "."
    std::uint32_t Ttl = 0;
    std::uint16_t Preference = 0;  // MX
    std::string Data;              // address text (A, AAAA) or host name (MX, CNAME)
};

struct DnsResponse {
    std::uint16_t Id = 0;
    bool Truncated = false;
    bool Authoritative = false;
    int Rcode = 0;
    std::vector<DnsRecord> Answers;
};

// A standard query for `name` (a final "." allowed) and `type`, with the recursion-desired
// bit when `recursion`.  False when the name is no valid domain name (an empty label, a
// label longer than 63 bytes, more than 253 bytes in all).
bool BuildDnsQuery(std::uint16_t id, std::string_view name, std::uint16_t type, bool recursion, std::string& out);
// Reads a response.  False, with the reason in `why`, when the message is not a response
// or is cut short or malformed (compressed names are followed, but never in a loop).
bool ParseDnsResponse(std::string_view message, DnsResponse& out, std::string& why);
// The response code as the check shows it ("NXDOMAIN: the name does not exist").
std::string DnsRcodeText(int rcode);
