#pragma once
// sentrelle add-checks --type NAME --folder ID --hosts LIST [--name PATTERN] [--root DIR]
//
// Creates one check of the type per host in the folder, through the same creation loop
// as the Manager (CSnCheckCreator): each check starts as a copy of the template check
// with the type's defaults and default scan frequency, gets its host and a display name
// from the pattern with "<HOSTS>" replaced by the host.  Without --name the name is the
// one the Manager proposes.  The tree is written and the engine and the Managers are
// told, so a running engine picks the checks up.
//
// TYPE is a type's display name as the chooser shows it ("ICMP Ping", "HTTP/HTTPs") or its
// number.  LIST holds host names and addresses separated by "," or ";"; an entry
// "A.B.C.D-A.B.E.F" is an IPv4 range (first two octets equal; .0 and .255 skipped inside).
// With several hosts the pattern must hold "<HOSTS>".
//
// Exit codes: 0 created; 2 wrong usage or an invalid type, host list, range or pattern;
// 1 the folder is missing or no folder, a limit, or a configuration failure.
#include "cli/CliCommand.h"
#include "library/QvcString.h"
#include "model/checks/ServerList.h"

class CAddChecksCommand final : public CCliCommand {
public:
    int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) override;

    // The targets of a host list text, ranges expanded.  False with `error` for an
    // invalid range or an empty list.
    static bool ExpandHosts(const CQvcString& text, CServerList& hosts, CQvcString& error);
};
