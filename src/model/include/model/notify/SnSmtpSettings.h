#pragma once
// E-mail channel settings (table SmtpSettings): two mail servers, the second used when the
// first fails, and the message options.  Passwords are held scrambled.
// Read and Write return 0 or the component's code; a failed read keeps the values.
#include "library/QvcString.h"
#include "model/store/SnRecordProperties.h"

#include <cstdint>
#include <memory>

class CSnCfg;
class CSnRecord;

class CSnSmtpSettings {
public:
    CQvcString Server1;
    std::int32_t Port1 = 25;
    bool Secure1 = false;
    bool AuthRequired1 = false;
    CQvcString Login1;
    CQvcString Password1;
    CQvcString SenderName1 = "Sentrelle";
    CQvcString SenderAddress1;
    CQvcString Server2;
    std::int32_t Port2 = 25;
    bool Secure2 = false;
    bool AuthRequired2 = false;
    CQvcString Login2;
    CQvcString Password2;
    CQvcString SenderName2 = "Sentrelle";
    CQvcString SenderAddress2;
    std::int32_t CharSet = 65001;
    bool Rtf = false;
    CQvcString LogFile = "<SNROOT>Logs\\smtplog.txt";

    long Read(CSnCfg& store);
    // "GlobalSettings" is stamped when the write succeeds.
    long Write(CSnCfg& store) const;
    std::shared_ptr<CSnRecord> ToRecord() const;
    void FromRecord(const CSnRecord& record);

    template <class Self, class Fn> static void Fields(Self& s, Fn&& fn) {
        namespace snprop = snsmtp;
        fn(snprop::kServer1, "Server1", s.Server1);
        fn(snprop::kPort1, "Port1", s.Port1);
        fn(snprop::kSecure1, "Secure1", s.Secure1);
        fn(snprop::kAuthRequired1, "AuthRequired1", s.AuthRequired1);
        fn(snprop::kLogin1, "Login1", s.Login1);
        fn(snprop::kPassword1, "Password1", s.Password1);
        fn(snprop::kSenderName1, "SenderName1", s.SenderName1);
        fn(snprop::kSenderAddress1, "SenderAddress1", s.SenderAddress1);
        fn(snprop::kServer2, "Server2", s.Server2);
        fn(snprop::kPort2, "Port2", s.Port2);
        fn(snprop::kSecure2, "Secure2", s.Secure2);
        fn(snprop::kAuthRequired2, "AuthRequired2", s.AuthRequired2);
        fn(snprop::kLogin2, "Login2", s.Login2);
        fn(snprop::kPassword2, "Password2", s.Password2);
        fn(snprop::kSenderName2, "SenderName2", s.SenderName2);
        fn(snprop::kSenderAddress2, "SenderAddress2", s.SenderAddress2);
        fn(snprop::kCharSet, "CharSet", s.CharSet);
        fn(snprop::kRtf, "Rtf", s.Rtf);
        fn(snprop::kLogFile, "LogFile", s.LogFile);
    }
};
