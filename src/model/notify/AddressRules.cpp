#include "model/notify/AddressRules.h"

#include "library/Messages.h"
#include "model/notify/SnDistributionGroups.h"

#include <string_view>

namespace {

// The placeholder that the address-book messages carry for the refused address.
constexpr std::string_view kAddressPlaceholder = "<address>";

constexpr const char* kEmailMessage = "Invalid e-mail address: '<address>'.";
constexpr const char* kSmsHint = "SMS numbers MUST start with a country code, preceeded by a '+' character.\n"
                                 "You can only specify digits.";
constexpr const char* kSmsExamples = "\n\nExamples: +15551234567, +442079460958";
constexpr const char* kPagerShort = "Invalid Pager address. Only the following characters are valid: [0-9], "
                                    "[,+-*#@], [a-d], [A-D], [wW].";
constexpr const char* kNetBiosShort = "Invalid NetBIOS name.";

bool AllDigits(std::string_view text) { return text.find_first_not_of("0123456789") == std::string_view::npos; }

CQvcString WithAddress(const char* message, const CQvcString& address) {
    CQvcString text = message ? message : "";
    text.Replace(kAddressPlaceholder, address.Str());
    return text;
}

} // namespace

bool IsValidEmailAddress(const CQvcString& address) {
    const std::string& s = address.Str();
    if (s.empty() || s.size() > 64)
        return false;
    if (s.find_first_of("~ \\%;,|<>") != std::string::npos)
        return false;
    const std::size_t at = s.rfind('@');
    if (at == std::string::npos || s[0] == '@')
        return false;
    CQvcString domain(s.substr(at + 1));
    return !domain.Trim().IsEmpty();
}

bool IsValidNetPopupName(const CQvcString& name) { return QvcIsValidNetBiosName(name.Str()); }

bool IsValidPagerAddress(const CQvcString& address) { return QvcIsValidPagerNumber(address.Str()); }

bool IsValidSmsNumber(const CQvcString& number) {
    CQvcString text = number;
    text.Trim();
    text.RemovePrefix("+");
    std::string digits;
    for (char c : text.Str()) {
        if (c != ' ' && c != ',' && c != '-' && c != '(' && c != ')')
            digits += c;
    }
    const std::size_t colon = digits.find(':');
    if (colon != std::string::npos) {
        const std::string_view subAddress = std::string_view(digits).substr(colon + 1);
        if (subAddress.empty() || !AllDigits(subAddress))
            return false;
        digits.resize(colon);
    }
    return !digits.empty() && digits.size() <= 15 && AllDigits(digits);
}

bool IsValidAddress(std::int32_t channel, const CQvcString& address) {
    switch (channel) {
    case kNotifyEmail:
    case kNotifyMessenger:
        return IsValidEmailAddress(address);
    case kNotifyNetPopup:
        return IsValidNetPopupName(address);
    case kNotifySms:
        return IsValidSmsNumber(address);
    case kNotifyPager:
        return IsValidPagerAddress(address);
    default:
        return false;
    }
}

CQvcString InvalidAddressMessage(std::int32_t channel, const CQvcString& address) {
    switch (channel) {
    case kNotifyEmail:
    case kNotifyMessenger:
        return WithAddress(kEmailMessage, address);
    case kNotifyNetPopup:
        return WithAddress(MessageText(2203), address);
    case kNotifySms:
        return WithAddress((CQvcString("Invalid SMS number: '<address>'.\n") + kSmsHint + kSmsExamples).c_str(),
                           address);
    case kNotifyPager:
        return WithAddress(MessageText(2207), address);
    default:
        return CQvcString();
    }
}

CQvcString InvalidAddressShortMessage(std::int32_t channel) {
    switch (channel) {
    case kNotifyEmail:
    case kNotifyMessenger:
        return CQvcString(MessageText(2200));
    case kNotifyNetPopup:
        return CQvcString(kNetBiosShort);
    case kNotifySms:
        return CQvcString(kSmsHint) + kSmsExamples;
    case kNotifyPager:
        return CQvcString(kPagerShort);
    default:
        return CQvcString();
    }
}

namespace {

// The channel's name as its address book shows it; null without an address book.
const char* BookName(std::int32_t channel) {
    switch (channel) {
    case kNotifyEmail:
        return "E-mail";
    case kNotifyNetPopup:
        return "Network Popup";
    case kNotifySms:
        return "SMS";
    case kNotifyPager:
        return "Pager";
    case kNotifyMessenger:
        return "Live Messenger";
    default:
        return nullptr;
    }
}

constexpr const char* kUnknown = "##Unknown##";

} // namespace

CQvcString AddressBookCaption(std::int32_t channel) {
    const char* name = BookName(channel);
    return name ? CQvcString(name) + " Address Book" : CQvcString(kUnknown);
}

CQvcString AddressBookGroupLabel(std::int32_t channel) {
    const char* name = BookName(channel);
    return name ? CQvcString("&Manage ") + name + " Distribution Group:" : CQvcString(kUnknown);
}

CQvcString CheckGroupName(const CSnDistributionGroups& groups, const CQvcString& name, std::int32_t renamedId) {
    CQvcString trimmed = name;
    trimmed.Trim();
    if (!CSnDistributionGroup::IsValidName(trimmed) || trimmed.Str() == "Create New Group..." ||
        trimmed.Str() == "Rename Group...")
        return CQvcString("Invalid group name.");
    const CSnDistributionGroup* same = groups.FindByName(trimmed);
    if (same != nullptr && same->Id() != renamedId)
        return CQvcString("Group already exists.");
    return CQvcString();
}

CQvcString CheckGroupMembers(std::int32_t channel, const CQvcString& text, CQvcString& members) {
    CQvcString all = text;
    all.Trim();
    all.Replace(",", ";");
    CQvcString joined;
    std::size_t from = 0;
    const std::string& s = all.Str();
    while (from <= s.size()) {
        std::size_t end = s.find(';', from);
        if (end == std::string::npos)
            end = s.size();
        CQvcString field(s.substr(from, end - from));
        field.Trim();
        from = end + 1;
        if (field.IsEmpty())
            continue;
        if (!IsValidAddress(channel, field))
            return InvalidAddressMessage(channel, field);
        joined = joined.IsEmpty() ? field : joined + ";" + field;
    }
    members = joined;
    return CQvcString();
}
