#pragma once
// The channels this engine delivers alerts through, by action kind.
#include "engine/alerting/AlertChannels.h"

// E-mail (1) through the SMTP servers of the settings (the second when the first fails);
// SNMP (6) to the trap agent of the settings, with the event's fields as variables.
AlertChannelTable DefaultAlertChannels();
