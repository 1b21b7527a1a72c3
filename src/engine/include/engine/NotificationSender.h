#pragma once
// Carrying out a notification test request: the message is really sent through its
// channel and the outcome returned as the response the Manager's test dialog shows.
//
// E-mail (type 1) goes over SMTP to the request's first server, and to its second one
// when the first fails.  A server marked secure is reached with implicit TLS on port 465
// and with STARTTLS (required) on any other port; port 0 means 25, or 465 when secure.
// The account is used when a login is given.  Failures carry a code of the mail family
// (23710-23790, see ErrorTexts) and, in ErrorDescriptionEx, the last reply of the SMTP
// server when there was one; a success carries the server's last reply there too.
//
// SNMP trap (type 6) goes over UDP to the agent ("host" or "host:port", port 162 by
// default) as an SNMPv1 trap when ProtocolVersion is 1, otherwise as an SNMPv2c
// notification (SnmpTrapMessage.h).  Failures carry a code of the SNMP family.
//
// SMS (3) goes through the HTTP provider of the request (SendSms) and pager (4) over SNPP
// (SendPage), to each recipient of the list (';' or ',' between them) until one fails.  A
// success carries the last delivery's words in ErrorDescriptionEx; a failure a code of the
// SMS-over-HTTP (33200-33206) or SNPP (33400-33406) family and, for pages, the server's
// refusing reply in ErrorDescriptionEx.  The GSM device, the messaging server and DTMF
// pages answer 1002.
//
// Network pop-up (2) and instant messenger (5) are not available on this platform: the
// answer has a non-zero ErrorCode and says so.
//
// A database query (14) is run and its result returned (DatabaseQueryRunner.h).
//
// When the request names a log file inside the Engine root ("<SNROOT>" allowed), a line
// about the test is appended to it (and for e-mail the SMTP dialogue, passwords hidden).
// Param1 of a response names the server or agent that was used.
#include "engine/CheckRunner.h"
#include "model/notify/SnNotificationRequest.h"
#include "model/notify/SnNotificationResponse.h"

#include <string>
#include <utility>
#include <vector>

class CSnSmtpNotificationRequest;
class CSnSnmpNotificationRequest;

// Sends the request's message; never throws.  The response's CreatorIsManager is the
// request's.  The send ends within context.Timeout and when the engine stops.
CSnNotificationResponse SendNotificationTest(const CSnNotificationRequest& request, const RunContext& context);

// The two channels that really send, for callers that hold the typed request.
CSnNotificationResponse SendTestMail(const CSnSmtpNotificationRequest& request, const RunContext& context);
CSnNotificationResponse SendTestTrap(const CSnSnmpNotificationRequest& request, const RunContext& context);

// The same channels for alerts: the log lines name an e-mail or a trap rather than a
// test, and the trap carries more variables after the request's one (SnmpTrapContent::Texts).
CSnNotificationResponse SendAlertMail(const CSnSmtpNotificationRequest& request, const RunContext& context);
CSnNotificationResponse SendAlertTrap(const CSnSnmpNotificationRequest& request, const RunContext& context,
                                      const std::vector<std::pair<std::string, std::string>>& texts);
