#pragma once
// From a decision that alerts are due to the deliveries that carry them out: one request
// per channel entry that is enabled (per recipient for SMS and pager), per program and
// per restart or reboot, each with its text from the kind's message template.
#include "engine/alerting/AlertChannels.h"
#include "engine/alerting/AlertRules.h"
#include "model/notify/SnDistributionGroups.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

// The distribution groups of the channels that have an address book, by channel code
// (SnNotificationType).  A channel missing here has no groups.
using AlertAddressBook = std::map<std::int32_t, std::shared_ptr<const CSnDistributionGroups>>;

// The action kind (ActionName) of notification channel c (SnChannel): e-mail 1,
// network pop-up 2, SMS 3, pager 4, SNMP trap 6, instant messenger 5.
int ChannelActionKind(int channel);

struct AlertRequests {
    std::vector<AlertDeliveryRequest> Deliveries;
    // What was due but cannot be delivered, for the activity log ("E-mail: no recipients").
    std::vector<std::string> Refusals;
};

// The deliveries `decision` asks for of `check`, about `event`.  Notifications: each
// enabled entry of the direction, its recipients resolved through `book` (groups expanded,
// duplicates dropped); e-mail and the channels that are not available here get one
// request for all of them, SMS and pager one per recipient, SNMP one with no recipient.
// Actions: on failure RunOnFailure (kind 7) and Restart (8 for services, 9 for a reboot),
// on recovery RunOnSuccess.  Subject and body: the template of the request's kind with
// the event's placeholders filled (a default text when the settings have none).
AlertRequests BuildAlertRequests(const CSnNodeCfg& check, const AlertDecision& decision,
                                 const AlertEvent& event, const AlertSettings& settings,
                                 const AlertAddressBook& book);
