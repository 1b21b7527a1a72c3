// The window-free rules of the target-selection dialog, each case a row.
#include "model/checks/TargetSelection.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Texts(const std::vector<CQvcString>& list) {
    std::string text;
    for (const CQvcString& item : list)
        text += item.Str() + ",";
    return text;
}

// A start's outcome in one line: the refusal (id, field, text) or the addresses and port.
std::string Started(const char* from, const char* to, const char* port, const char* mode) {
    const IPRangeStart s = StartIPRange(from, to, port, mode);
    if (s.Refusal.Refused())
        return std::to_string(s.Refusal.Id) + "@" + std::to_string(s.Refusal.Field) + " " + s.Refusal.Text.Str() +
               (s.Addresses.empty() ? "" : " (addresses left)");
    return (s.Scan ? "scan " : "list ") + Texts(s.Addresses) + " port " + std::to_string(s.Port);
}

std::string Taken(const char* targets, const char* entries, bool editing, bool replace) {
    CServerList list, add;
    list.Parse(targets);
    add.Parse(entries);
    const DialogRefusal r = TakeTargets(list, add, editing, replace);
    return (r.Refused() ? std::to_string(r.Id) + " " : std::string()) + list.ToText().Str();
}

} // namespace

TEST(TargetSelection, Rules) {
    struct Row {
        std::string got, expected;
    };
    CWinRoleDefList noRoles;
    const Row rows[] = {
        // Starting an IP range: addresses, expansion, the port, the mode, in that order.
        {Started("10.0.0.1", "10.0.0.3", "", kScanListNow), "list 10.0.0.1,10.0.0.2,10.0.0.3, port 0"},
        {Started(" 10.0.0.254", "10.0.1.1 ", "8080", kScanListNow), "list 10.0.0.254,10.0.1.1, port 8080"},
        {Started("10.0.0.1", "10.0.0.2", "99999", kScanListNow), "list 10.0.0.1,10.0.0.2, port 0"},
        {Started("10.0.0.1", "10.0.0.2", "80", kScanPing), "scan 10.0.0.1,10.0.0.2, port 0"},
        {Started("10.0.0.1", "10.0.0.1", "65535", kScanPort), "scan 10.0.0.1, port 65535"},
        {Started("10.0.0.5", "10.0.0.1", "", kScanListNow), "list  port 0"},
        {Started("", "10.0.0.1", "", kScanPing), "61553@0 Invalid IP address: ''."},
        {Started("10.0.0.1", "10.0.0.x", "", kScanPing), "61553@1 Invalid IP address: '10.0.0.x'."},
        {Started("10.0.0.1", "10.1.0.1", "", kScanPing), "61554@1 IP range too large."},
        {Started("10.0.0.1", "10.0.0.2", "0", kScanPort), "61558@2 Invalid TCP Port."},
        {Started("10.0.0.1", "10.0.0.2", "65536", kScanPort), "61558@2 Invalid TCP Port."},
        {Started("10.0.0.1", "10.0.0.2", "", kScanPort), "61558@2 Invalid TCP Port."},
        {Started("10.0.0.1", "10.0.0.2", "80", "Scan (udp)"), "0@-1 Not supported."},
        // "<< Copy" and "Load from File...".
        {Taken("a,b", "c,B,d", false, false), "a,b,c,d"},
        {Taken("a,b", "c", false, true), "c"},
        {Taken("a,b", "", false, true), ""},
        {Taken("a,b", "", true, false), "a,b"},
        {Taken("a", "c", true, false), "c"},
        {Taken("a", "c,d", true, true), "61557 a"},
        // The host text of a discovered host.
        {DiscoveredTarget({"ws1", "ws1.example.com", 0, -1}, true).Str(), "ws1.example.com"},
        {DiscoveredTarget({"ws1", "ws1.example.com", 0, -1}, false).Str(), "ws1"},
        {DiscoveredTarget({"ws1", "CN=WS1,DC=example,DC=com", 0, -1}, true).Str(), "ws1"},
        {DiscoveredTarget({"10.0.0.1", "", 80, 3}, true).Str(), "10.0.0.1"},
        // Role choices and filters (a file's roles come from the roles-file tests).
        {Texts(RoleChoices(noRoles)), "Any role,Custom...,"},
        {Texts(RoleFilter(kCustomRole, noRoles, " http; 8080,,smtp ").Services), "http,8080,smtp,"},
        {RoleFilter(kCustomRole, noRoles, "").Name.Str(), "Custom"},
        {std::to_string(RoleFilter(kAnyRole, noRoles, "http") == CWinRoleDef{}), "1"},
        {std::to_string(RoleFilter("Web", noRoles, "") == CWinRoleDef{}), "1"},
        // The note and the icons.
        {TargetListNote(true), "You are configuring an existing check. For an existing check, only one entry is allowed."},
        {std::to_string(TargetMessageIsError(61555)) + std::to_string(TargetMessageIsError(61693)) +
             std::to_string(TargetMessageIsError(61692)) + std::to_string(TargetMessageIsError(61553)),
         "1100"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(rows[i].got, rows[i].expected) << "row " << i;
}
