#pragma once
// CSnNotificationResponse: the engine's answer to a notification test request, section
// "Response" of the request's ".RSP" file.  The engine writes it; the Manager reads it,
// then sets CreatorIsManager to 0 and writes it back to mark it as seen.
#include "library/QvcBase.h"

#include <array>
#include <cstdint>

class CSnNotificationRequest;

class CSnNotificationResponse : public CQvcBase {
public:
    static constexpr int kParamCount = 10;

    CSnNotificationResponse();

    // Reads section "Response" of the request's ".RSP" file into the fields; missing
    // keys read as 0 or empty.  Uses the whole-section reader, so a missing file is
    // created holding "EXISTS"=1.  False when the request has no response path.
    bool ReadResponse(const CSnNotificationRequest& request);
    // Writes the fields as section "Response" of the same file (up to 3 attempts); true
    // when written.  Texts have their line breaks written as "||".
    bool WriteResponse(const CSnNotificationRequest& request) const;

    std::int32_t CreatorIsManager = 0;
    std::int32_t ErrorCode = 0; // 0 for success
    CQvcString ErrorDescription;
    CQvcString ErrorDescriptionEx;
    std::array<CQvcString, kParamCount> Param; // "Param1" to "Param10"
};
