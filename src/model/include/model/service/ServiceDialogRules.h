#pragma once
// What the Service dialog shows, as plain functions of what service control reports: the
// state text and the usable buttons per state, the logon account and password fields,
// and the message for a failed start or stop.
//
// On Linux the engine's service is the sentrelle-engine daemon and its logon account is
// the user the daemon runs as.  root plays the part of the system account: like
// "LocalSystem" it is shown as ".\root" with an empty password field.
#include "library/QvcString.h"

struct ServiceStateView {
    unsigned messageId; // 51578 ... 51587
    bool start;
    bool stop;
    bool restart;
};

// `state` as service control reports it (1 stopped, 2 start pending, 3 stop pending,
// 4 running, 5 continue pending, 6 pause pending, 7 paused), -1 when the query failed.
ServiceStateView ServiceStateViewFor(int state);
// The state's text.
CQvcString ServiceStateText(int state);

struct ServiceLogonView {
    CQvcString account;
    CQvcString password;
};
// "LocalSystem" or "root" (letter case ignored): ".\" + the name and no password; any
// other account: its name and a row of 14 asterisks.
ServiceLogonView ServiceLogonViewFor(const CQvcString& account);

// The message of a start or stop result: 0 for success (no message), 3000, 3001, 3002,
// 3003, 3005 for the codes -1000, -1001, -1002, -1003, -1011, and 3007 for any other.
unsigned ServiceControlMessageId(long code);
