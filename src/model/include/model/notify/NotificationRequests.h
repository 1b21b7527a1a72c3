#pragma once
// Creating and reading notification test requests by type, for the code that handles
// requests without knowing their channel in advance (the engine's request handling).
#include "model/notify/SnNotificationRequest.h"

#include <memory>

// A new request of the class for `type` (1 SMTP to 6 SNMP, 14 database query); null for
// any other type, as types 7 to 13 have no request class.
std::unique_ptr<CSnNotificationRequest> CreateNotificationRequest(std::int32_t type);

// Reads a ".REQ" file: the type from the prefix of the file name, then the keys of
// section "Request" into a request of that class, whose file paths (".PRC", ".RSP",
// backup) are set from `path`.  Null when the name carries no prefix of types 1 to 6 or 14 or
// the file holds no section "Request".
std::unique_ptr<CSnNotificationRequest> ReadNotificationRequest(const CQvcString& path);
