#pragma once
// Host texts of new checks: the display form of a host, the "<HOSTS>" placeholder of a
// display name created for several hosts, IPv4 range expansion and the creation limits.
#include "library/QvcString.h"

#include <vector>

// The placeholder that a display name holds while checks are created for several hosts.
inline constexpr const char* kHostsPlaceholder = "<HOSTS>";

// Lower-cased, outer double quotes removed, and, when the text holds no ".", its first
// letter upper-cased: "SERVER1" shows as "Server1", "Mail.Example.COM" as "mail.example.com".
CQvcString HostDisplayForm(const CQvcString& host);
// `pattern` with every "<HOSTS>" replaced by the host's display form.
CQvcString ReplaceHostsPlaceholder(const CQvcString& pattern, const CQvcString& host);

// Whether an edit of a display name from `before` to `after` removes "<HOSTS>".
bool RemovesHostsPlaceholder(const CQvcString& before, const CQvcString& after);

// A dotted IPv4 address: four decimal parts of 1 to 3 digits, each at most 255.
bool IsValidIPv4Address(const CQvcString& text);
// Every address from `from` to `to`, in order, into `out` (replaced).  Both must share
// their first two octets; the third octet runs from the start's to the end's, and the last
// octet from the start's (first block) or 1 up to 254 (or the end's, last block), so .0
// and .255 are skipped between the ends.  The first two octets are kept as typed.  A
// start above the end gives no address.
// Returns 0; 61553 ("Invalid IP address: '%s'.") with `badAddress` set when an address is
// not a valid IPv4 address; 61554 ("IP range too large.") when the first two octets differ.
int ExpandIPRange(const CQvcString& from, const CQvcString& to, std::vector<CQvcString>& out,
                  CQvcString* badAddress = nullptr);

// The limits on creating checks for many targets: 0; 61692 ("You cannot create more than
// %d checks at a time.") when `targets` exceeds `maxCreate`; 61693 ("Operation failed. The
// maximum number of checks in a configuration is limited to %d.") when the existing
// checks plus the targets exceed `maxTotal`.
int CheckTargetLimits(int targets, int existingChecks, int maxCreate, int maxTotal);
