#pragma once
// What alerting hands from the decision that an alert is due to the channel that
// delivers it: a snapshot of the check at its transition, and the outcome of one delivery.
#include <cstdint>
#include <map>
#include <string>

// Which entry of a channel's pair fired: entry 2c ("Notify when check fails") or entry
// 2c+1 (recovery, or success in the modes that notify on every success).
enum class AlertDirection { Failure, Recovery };

// The check as it was when the alert became due.  Texts are UTF-8.
struct AlertEvent {
    std::int32_t CheckId = 0;
    std::int32_t Type = 0;
    std::string Name;
    std::string Host;        // the check's ParamServer
    std::string TypeName;    // the catalogue's name of Type
    std::string FolderPath;  // "\\"-joined folder names from the root's child down
    std::int32_t Status = 0;
    std::string StatusName;  // StatusName(Status, false)
    std::string Data;
    std::string Response;
    std::int64_t Time = 0;  // seconds since the epoch
    AlertDirection Direction = AlertDirection::Failure;
};

// The placeholder names and values of an event: Name, Host, Type, Status, Data, Response,
// Time ("YYYY-MM-DD hh:mm:ss", local time), Folder, ID, Direction ("Failure" / "Recovery").
std::map<std::string, std::string> AlertFields(const AlertEvent& event);
// Fills every "<% name %>" of `text` from AlertFields (names without letter case); other
// placeholders stay as they are.  Message templates keep line breaks as "||": they become
// "\r\n" when `lineBreaks` is set.
std::string ExpandAlertText(const std::string& text, const AlertEvent& event, bool lineBreaks = true);

// The outcome of one delivery attempt: Ok, or why not, in words for the activity log.
// Retry tells the delivery queue that trying again later may help (a time-out, a refused
// connection), as opposed to a permanent refusal (bad address, channel not available).
struct DeliveryOutcome {
    bool Ok = false;
    bool Retry = false;
    std::string Text;
};
