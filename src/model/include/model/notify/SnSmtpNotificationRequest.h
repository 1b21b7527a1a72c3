#pragma once
// CSnSmtpNotificationRequest: a test request for e-mail through one or two SMTP servers.
// The fields are the keys of section "Request" after "CreatorIsManager" and
// "Enabled", written in the order declared here.
// Password fields hold the plain text; the file holds it scrambled under the
// key named in the comment.
#include "model/notify/SnNotificationRequest.h"

#include <cstdint>

class CSnSmtpNotificationRequest final : public CSnNotificationRequest {
public:
    CSnSmtpNotificationRequest();

    CQvcString MailServer1;
    std::int32_t MailSecure1 = 0;
    std::int32_t MailServerPort1 = 0;
    CQvcString MailServerLogin1;
    CQvcString MailServerPassword1; // "MailServerEPassword1", scrambled
    CQvcString SenderName1;
    CQvcString SenderAddress1;
    CQvcString MailServer2;
    std::int32_t MailSecure2 = 0;
    std::int32_t MailServerPort2 = 0;
    CQvcString MailServerLogin2;
    CQvcString MailServerPassword2; // "MailServerEPassword2", scrambled
    CQvcString SenderName2;
    CQvcString SenderAddress2;
    CQvcString RecipientAddressList;
    CQvcString Subject;
    std::int32_t CharSet = 0;
    CQvcString Message;
    std::int32_t RTF = 0;
    CQvcString LogFile;

protected:
    void ExchangeFields() override;
};
