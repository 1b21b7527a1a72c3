#include "model/notify/SnSmtpNotificationRequest.h"

CSnSmtpNotificationRequest::CSnSmtpNotificationRequest()
    : CSnNotificationRequest(kRequestSmtp, "SmtpNotificationRequest") {}

void CSnSmtpNotificationRequest::ExchangeFields() {
    Text("MailServer1", MailServer1);
    Number("MailSecure1", MailSecure1);
    Number("MailServerPort1", MailServerPort1);
    Text("MailServerLogin1", MailServerLogin1);
    Secret("MailServerEPassword1", MailServerPassword1);
    Text("SenderName1", SenderName1);
    Text("SenderAddress1", SenderAddress1);
    Text("MailServer2", MailServer2);
    Number("MailSecure2", MailSecure2);
    Number("MailServerPort2", MailServerPort2);
    Text("MailServerLogin2", MailServerLogin2);
    Secret("MailServerEPassword2", MailServerPassword2);
    Text("SenderName2", SenderName2);
    Text("SenderAddress2", SenderAddress2);
    Text("RecipientAddressList", RecipientAddressList);
    Text("Subject", Subject);
    Number("CharSet", CharSet);
    Text("Message", Message);
    Number("RTF", RTF);
    Text("LogFile", LogFile);
}
