#pragma once
// CLdapRunner: the two directory checks that VBScript checks (100) of the stock directory
// script call, run here through the LDAP client library instead of a script: "LDAP" (a
// bind and a search that must find enough entries) and "User/group membership" (the user
// must be a member of the group).  Any other VBScript check is not supported.
#include "engine/CheckRunner.h"

#include <string>

class CLdapRunner final : public ICheckRunner {
public:
    CheckOutcome Run(const CSnNodeCfg& check, const RunContext& context) override;
};

// A value for an LDAP search filter with the characters that have a meaning there
// ("*", "(", ")", "\" and the zero byte) written as "\" and two hex digits.
std::string LdapFilterValue(const std::string& value);
