#pragma once
// Where directory discovery (CThreadDiscoverWin) looks, read from the name the user gives.
#include "library/QvcString.h"

struct CDirectoryTarget {
    bool Workgroup = false; // a single-label name: the hosts of the local network neighbourhood
    CQvcString Url;         // the LDAP server, "ldap://host[:port]" or "ldaps://host[:port]"
    CQvcString Base;        // where computers are searched; empty: the server's naming contexts
    bool operator==(const CDirectoryTarget&) const = default;
};

// ""  or "localhost"            -> ldap://localhost, the server's naming contexts
// "example.com"                 -> ldap://example.com, base "dc=example,dc=com"
// "ldap://host:port/base"       -> that server and base (also "ldaps://")
// any other name without a dot  -> a workgroup
// An LDAP URL that cannot be parsed gives an empty Url.
CDirectoryTarget ParseDirectoryName(const CQvcString& directory);
