#pragma once
// sentrelle demo-seed --tcp-port N --http-port N [--smtp-port N] [--snmp-port N]
//     [--ssh-port N --ssh-key FILE]: fills the configuration of the
// installation the registry names with a few folders and a dozen checks against this
// computer (ping, TCP, HTTP, disk space, processes), for the demo.  A configuration that
// already holds checks is left alone, so the demo script can run it every time.  With a
// mail server port, alerts go by e-mail through 127.0.0.1 at that port, and the demo's
// TCP check mails its operator when it fails and when it recovers.  With an SNMP agent's
// UDP port, a "Demo SNMP agent" check asks it for its uptime (added to a demo made
// before, too; its port follows the option on every run).  With an SSH server port and a
// private key it accepts, an SSH check runs "uptime" there as the current user.  Every
// run also sets the history periods to 10 s and the graph option of "Loopback ping" and
// "Demo web server", so that the demo's history and graphs fill within minutes.
#include "cli/CliCommand.h"

class CDemoSeedCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;
};
