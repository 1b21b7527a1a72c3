#pragma once
// The roles file beyond its reader (CWinRoleDefList in Discovery.h): the default file that
// a new engine root gets, and the rule by which a computer plays a role on this platform.
#include "library/QvcString.h"
#include "model/discovery/Discovery.h"

#include <vector>

// The text of the default roles file: common Linux server roles.
const char* DefaultRolesText();

// Writes the default roles file at RolesFilePath(engineRoot) unless a file is there (an
// edited file is kept).  0, or -1 with `message` saying what failed.
int InstallDefaultRoles(const CQvcString& engineRoot, CQvcString& message);

// The TCP ports of a role's services, in the role's order without repeats: a number of
// 1..65535 is that port, a name is looked up as a TCP service ("http" 80).  Names that are
// not known are left out.  A computer plays the role when at least one of these ports
// accepts a connection.  Processes and performance counters cannot be seen from another
// computer on this platform, so they never decide a role.
std::vector<int> RoleServicePorts(const CWinRoleDef& role);
