#pragma once
// sentrelle discover --range A-B [--port N] [--resolve]
// sentrelle discover --hosts a,b,c [--port N] [--resolve]
//
// Probes the hosts of an IPv4 range (expanded as for new checks: first two octets equal,
// .0 and .255 skipped inside) or of a host list by ping, or by connecting to TCP port N,
// with the same discovery threads as the Manager's target selection.  Prints one
// answering host per line in address order, fields separated by tabs:
//   <address>  <port, or "ping">  <milliseconds>  [<host name, with --resolve>]
// and the count on standard error.
//
// Exit codes: 0 the scan ran (whether or not anything answered); 2 wrong usage or an
// invalid range; 1 a ping scan where this user may not ping.
#include "cli/CliCommand.h"

class CDiscoverCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
