#include "model/checks/HostList.h"

#include <cstdlib>

CQvcString HostDisplayForm(const CQvcString& host) {
    CQvcString text = host;
    text.MakeLower();
    text.TrimLeftChar('"');
    text.TrimRightChar('"');
    if (!text.IsEmpty() && text.Find('.') < 0 && text[0] >= 'a' && text[0] <= 'z')
        text = CQvcString(static_cast<char>(text[0] - 'a' + 'A')) + text.Mid(1);
    return text;
}

CQvcString ReplaceHostsPlaceholder(const CQvcString& pattern, const CQvcString& host) {
    CQvcString text = pattern;
    text.Replace(kHostsPlaceholder, HostDisplayForm(host).Str());
    return text;
}

bool RemovesHostsPlaceholder(const CQvcString& before, const CQvcString& after) {
    return before.Contains(kHostsPlaceholder) && !after.Contains(kHostsPlaceholder);
}

namespace {

// The four octet texts of a valid address.
bool SplitAddress(const CQvcString& text, CQvcString (&octets)[4], int (&values)[4]) {
    const std::string& s = text.Str();
    std::size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const std::size_t end = i < 3 ? s.find('.', start) : s.size();
        if (end == std::string::npos)
            return false;
        const std::string part = s.substr(start, end - start);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string::npos)
            return false;
        values[i] = std::atoi(part.c_str());
        if (values[i] > 255)
            return false;
        octets[i] = CQvcString(part);
        start = end + 1;
    }
    return true;
}

} // namespace

bool IsValidIPv4Address(const CQvcString& text) {
    CQvcString octets[4];
    int values[4];
    return SplitAddress(text, octets, values);
}

int ExpandIPRange(const CQvcString& from, const CQvcString& to, std::vector<CQvcString>& out,
                  CQvcString* badAddress) {
    out.clear();
    CQvcString a[4], b[4];
    int va[4], vb[4];
    if (!SplitAddress(from, a, va) || !SplitAddress(to, b, vb)) {
        if (badAddress)
            *badAddress = SplitAddress(from, a, va) ? to : from;
        return 61553;
    }
    if (va[0] != vb[0] || va[1] != vb[1])
        return 61554;
    const CQvcString prefix = a[0] + "." + a[1] + ".";
    for (int x = va[2]; x <= vb[2]; ++x) {
        const int first = x == va[2] ? va[3] : 1;
        const int last = x == vb[2] ? vb[3] : 254;
        for (int y = first; y <= last; ++y) {
            CQvcString address;
            address.Format("%s%d.%d", prefix.c_str(), x, y);
            out.push_back(address);
        }
    }
    return 0;
}

int CheckTargetLimits(int targets, int existingChecks, int maxCreate, int maxTotal) {
    if (targets > maxCreate)
        return 61692;
    if (existingChecks + targets > maxTotal)
        return 61693;
    return 0;
}
