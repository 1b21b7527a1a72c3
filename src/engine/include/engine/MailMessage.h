#pragma once
// The text of a notification e-mail (RFC 5322 with MIME): headers, and a plain-text body
// in the configured character set, with CR LF line ends.  Headers that need more than
// ASCII are written as encoded words; a body that is not 7-bit ASCII, or has lines too
// long for mail, goes in base64.
#include <ctime>
#include <string>
#include <vector>

struct MailContent {
    std::string SenderName;
    std::string SenderAddress;
    std::vector<std::string> Recipients;
    std::string Subject; // UTF-8
    std::string Body;    // UTF-8; line breaks CR LF, LF or CR
    // The character set as a Windows code page: 65001 (or 0) UTF-8, 20127 US-ASCII,
    // 28591-28599, 28603, 28605 ISO-8859-n, 1250-1258 windows-125n, 20866 KOI8-R,
    // 21866 KOI8-U.  Characters the set lacks are sent as "?".
    int CodePage = 65001;
    std::string HostName; // for the Message-ID
    std::time_t Date = 0;
};

// The MIME name of a code page ("utf-8", "iso-8859-1"); empty for one this engine cannot
// write.
std::string MailCharsetName(int codePage);
// Builds the message into `out`.  Returns 0, or 23729 (character set) with the reason in
// `why`.
long BuildMailMessage(const MailContent& content, std::string& out, std::string& why);
// The addresses of a recipient list, separated by ";", "," or blanks.
std::vector<std::string> SplitAddressList(const std::string& list);
