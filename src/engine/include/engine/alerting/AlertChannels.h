#pragma once
// The channels and actions that deliver alerts, looked up by action kind (ActionName:
// 1 "E-mail", 2 "Network Popup", 3 "SMS", 4 "Pager", 5 "MSN", 6 "SNMP", 7 "Run",
// 8 "Restart", 9 "Reboot").  Alerting decides what is due and builds one request per
// delivery; the channel registered for its kind carries it out.  A kind without a channel
// is not available on this platform, and alerting says so in the activity log.
#include "engine/alerting/AlertEvent.h"
#include "model/notify/SnLogSettings.h"
#include "model/notify/SnMessageTemplate.h"
#include "model/notify/SnPagerSettings.h"
#include "model/notify/SnSmsSettings.h"
#include "model/notify/SnSmtpSettings.h"
#include "model/notify/SnSnmpTrapsSettings.h"

#include <functional>
#include <map>
#include <string>

struct RunContext;

// The global settings alerting reads, loaded with the configuration.
struct AlertSettings {
    CSnSmtpSettings Smtp;
    CSnSmsSettings Sms;
    CSnPagerSettings Pager;
    CSnSnmpTrapsSettings Traps;
    CSnLogSettings Log;
    std::map<int, CSnMessageTemplate> Templates;  // by template ID (= channel's kind)
    // Set only by the engine's own configuration: a check may reboot this computer.
    bool AllowReboot = false;
};

// One delivery: a channel's message to its recipients, or an action to carry out.
struct AlertDeliveryRequest {
    AlertEvent Event;
    int ActionKind = 0;
    // E-mail: the resolved addresses joined by ","; SMS: a phone number; pager: the pager
    // ID; Run: the command line; Restart: the services; SNMP: empty (the agent is global).
    std::string Recipient;
    // Restart / Reboot: the computer, empty for this one.
    std::string Computer;
    // From the kind's message template, placeholders filled.
    std::string Subject;
    std::string Body;
};

using AlertChannel =
    std::function<DeliveryOutcome(const AlertDeliveryRequest&, const AlertSettings&, const RunContext&)>;
using AlertChannelTable = std::map<int, AlertChannel>;
