#pragma once
// The notification channels' address rules and the messages that refuse an address.
#include "library/QvcString.h"

#include <cstdint>

// Channel codes: a distribution group's NotificationTypeID and the address-book mode.
// They are the notification entry's channel index plus one (SnNodeCfg.h, SnChannel).
enum SnNotificationType : std::int32_t {
    kNotifyEmail = 1,
    kNotifyNetPopup = 2,
    kNotifySms = 3,
    kNotifyPager = 4,
    kNotifySnmpTrap = 5, // no address book
    kNotifyMessenger = 6,
};

// 1 to 64 characters; none of "~", blank, "\", "%", ";", ",", "|", "<", ">"; an "@" that
// is not the first character, and a non-empty (trimmed) text after the last "@".
// Instant-messenger addresses follow the same rule.
bool IsValidEmailAddress(const CQvcString& address);
// A computer's NetBIOS name: 1 to 64 characters, none of "~", "%", ";", "," and "|".
bool IsValidNetPopupName(const CQvcString& name);
// 1 to 32 characters, each a digit, blank, ",", "+", "-", "*", "#", "@" or one of the
// letters A, B, C, D, W in either case.
bool IsValidPagerAddress(const CQvcString& address);
// Trimmed, a leading "+" dropped, blanks, ",", "-", "(" and ")" removed, an optional
// ":<digits>" sub-address split off; what remains must be 1 to 15 digits.
bool IsValidSmsNumber(const CQvcString& number);
// The rule of the channel; false for a channel without an address book.
bool IsValidAddress(std::int32_t channel, const CQvcString& address);

// The address book's message for an invalid address, with the address filled in
// ("Invalid e-mail address: 'x'.", ...); empty for a channel without an address book.
CQvcString InvalidAddressMessage(std::int32_t channel, const CQvcString& address);
// The short message of the single-recipient dialogs ("Invalid e-mail address.", ...).
CQvcString InvalidAddressShortMessage(std::int32_t channel);

// --- the address book ------------------------------------------------------------------
class CSnDistributionGroups;

// "E-mail Address Book", ... ; "##Unknown##" for a channel without an address book.
CQvcString AddressBookCaption(std::int32_t channel);
// "&Manage E-mail Distribution Group:", ... ; "##Unknown##" likewise.
CQvcString AddressBookGroupLabel(std::int32_t channel);
// The refusal of a group name typed to create a group (`renamedId` 0) or to rename the
// group `renamedId`: "Invalid group name." for a name that fails the name rule after
// trimming or is one of the list's own commands, "Group already exists." for the name of
// another group; empty when the name is accepted.
CQvcString CheckGroupName(const CSnDistributionGroups& groups, const CQvcString& name, std::int32_t renamedId);
// The member text of a group as typed: trimmed, "," taken for ";", every ";"-separated
// field checked with the channel's rule.  Returns the address book's message for the
// first refused address, or empty with the members to store in `members` (the fields
// trimmed, empty ones dropped, joined by ";").
CQvcString CheckGroupMembers(std::int32_t channel, const CQvcString& text, CQvcString& members);
