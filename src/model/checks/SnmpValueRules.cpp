#include "model/checks/SnmpValueRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <compare>
#include <optional>

namespace {

std::string Trimmed(const std::string& text) {
    const auto begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return {};
    return text.substr(begin, text.find_last_not_of(" \t\r\n") - begin + 1);
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The numbers of a text split at `separator`: nothing when a part is not a whole number
// without sign.
std::optional<std::vector<unsigned long long>> Numbers(std::string_view text, char separator) {
    std::vector<unsigned long long> out;
    while (true) {
        const auto end = text.find(separator);
        const std::string_view part = text.substr(0, end);
        unsigned long long value = 0;
        const auto [rest, error] = std::from_chars(part.data(), part.data() + part.size(), value);
        if (part.empty() || error != std::errc() || rest != part.data() + part.size())
            return std::nullopt;
        out.push_back(value);
        if (end == std::string_view::npos)
            return out;
        text.remove_prefix(end + 1);
    }
}

std::optional<long double> Number(const std::string& text, bool signedAllowed) {
    std::string_view digits = text;
    bool negative = false;
    if (signedAllowed && !digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    const auto parts = Numbers(digits, '\0');
    if (!parts)
        return std::nullopt;
    const long double value = static_cast<long double>(parts->front());
    return negative ? -value : value;
}

// The ordering of two values of `type`; nothing when one cannot be read as that type.
std::optional<std::partial_ordering> Order(int type, const std::string& a, const std::string& b, bool ignoreCase) {
    switch (type) {
    case 3:  // counter
    case 9:  // time ticks
    case 10: // unsigned integer
    case 4: { // integer
        const auto x = Number(a, type == 4), y = Number(b, type == 4);
        if (!x || !y)
            return std::nullopt;
        return *x <=> *y;
    }
    case 5: // IP address
    case 6: { // object identifier
        const auto dropDot = [type](const std::string& text) { return type == 6 && !text.empty() && text[0] == '.' ? text.substr(1) : text; };
        const auto x = Numbers(dropDot(a), '.'), y = Numbers(dropDot(b), '.');
        if (!x || !y)
            return std::nullopt;
        if (type == 5 && (x->size() != 4 || y->size() != 4 || *std::max_element(x->begin(), x->end()) > 255 ||
                          *std::max_element(y->begin(), y->end()) > 255))
            return std::nullopt;
        return *x <=> *y;
    }
    default:
        return ignoreCase ? Lower(a) <=> Lower(b) : a <=> b;
    }
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> out;
    std::string item;
    for (char c : text + ",") {
        if (c == ',' || c == ';') {
            if (!Trimmed(item).empty())
                out.push_back(Lower(Trimmed(item)));
            item.clear();
        } else {
            item += c;
        }
    }
    return out;
}

bool Any(const std::string& filter) {
    const std::string text = Trimmed(filter);
    return text.empty() || text == "*";
}

std::string WithoutDot(std::string oid) {
    oid = Trimmed(oid);
    return !oid.empty() && oid[0] == '.' ? oid.substr(1) : oid;
}

bool OidMatches(const std::string& filter, const std::string& oid, bool subtree) {
    if (oid.empty())
        return false;
    const std::string want = WithoutDot(filter), have = WithoutDot(oid);
    return have == want || (subtree && have.size() > want.size() && have.compare(0, want.size(), want) == 0 &&
                            have[want.size()] == '.');
}

} // namespace

bool SnmpComparisonHolds(int type, const std::string& actual, int op, const std::string& expected, bool ignoreCase) {
    const bool text = !(type >= 3 && type <= 6) && type != 9 && type != 10;
    const auto order = Order(type, text ? actual : Trimmed(actual), text ? expected : Trimmed(expected), ignoreCase);
    if (!order)
        return false;
    switch (op) {
    case 1:
        return *order == 0;
    case 2:
        return *order != 0;
    case 3:
        return *order < 0;
    case 4:
        return *order <= 0;
    case 5:
        return *order > 0;
    case 6:
        return *order >= 0;
    default:
        return false;
    }
}

bool SnmpGetConditionsHold(const SnmpGetSettings& s, const std::string& actual) {
    const bool first = SnmpComparisonHolds(s.DataType, actual, s.Operator1, s.Value1);
    if (!s.UseSecond)
        return first;
    const bool second = SnmpComparisonHolds(s.DataType, actual, s.Operator2, s.Value2);
    return s.EitherCondition ? first || second : first && second;
}

bool TrapMatches(const SnmpTrapSettings& s, const ReceivedTrap& trap, const std::vector<std::string>& hostAddresses) {
    if (!Any(s.Host)) {
        const std::vector<std::string> names = Split(s.Host);
        const std::string source = Lower(trap.Source);
        const bool named = std::find(names.begin(), names.end(), source) != names.end() ||
                           std::find(hostAddresses.begin(), hostAddresses.end(), trap.Source) != hostAddresses.end();
        if (!named)
            return false;
    }
    if ((s.Version == 1 || s.Version == 2) && trap.Version != s.Version)
        return false;
    if (!Any(s.Community) && s.Community != trap.Community)
        return false;
    if (!Any(s.Oid) && !OidMatches(s.Oid, trap.Oid, s.OidSubtree) && !OidMatches(s.Oid, trap.Enterprise, s.OidSubtree))
        return false;
    if (!s.MatchValue)
        return true;
    return std::any_of(trap.Variables.begin(), trap.Variables.end(), [&](const TrapVariable& variable) {
        return (Any(s.VariableOid) || WithoutDot(s.VariableOid) == WithoutDot(variable.Oid)) &&
               (s.DataType == 0 || s.DataType == variable.Type) &&
               SnmpComparisonHolds(s.DataType, variable.Value, s.Operator, s.Value, s.IgnoreCase);
    });
}
