// The text of notification e-mails: headers, encoded words, character sets, bodies.
#include "LoopbackSmtpSink.h"
#include "TestSupport.h"
#include "engine/MailMessage.h"

#include <gtest/gtest.h>

namespace {

MailContent Content() {
    MailContent content;
    content.SenderName = "Sentrelle Engine";
    content.SenderAddress = "engine@example.test";
    content.Recipients = {"ops@example.test", "oncall@example.test"};
    content.Subject = "Disk space low";
    content.Body = "Line one\nLine two\r\nLine three";
    content.HostName = "enginebox";
    content.Date = 1700000000;
    return content;
}

std::string Header(const std::string& message, const std::string& name) {
    const std::size_t at = message.find("\r\n" + name + ": ");
    if (at == std::string::npos)
        return {};
    std::size_t end = at + 2;
    // A header goes on over lines that start with a blank.
    do {
        end = message.find("\r\n", end + 1);
    } while (end != std::string::npos && end + 2 < message.size() && message[end + 2] == ' ');
    return message.substr(at + 4 + name.size(), end - at - 4 - name.size());
}

std::string Body(const std::string& message) {
    return message.substr(message.find("\r\n\r\n") + 4);
}

// The text of a header made of encoded words "=?cs?B?...?=" folded over lines.
std::string DecodeWords(const std::string& header, std::string& charset, std::size_t& longest) {
    std::string out;
    longest = 0;
    std::size_t at = 0;
    while ((at = header.find("=?", at)) != std::string::npos) {
        const std::size_t end = header.find("?=", header.find("?B?", at) + 3);
        const std::string word = header.substr(at, end + 2 - at);
        longest = std::max(longest, word.size());
        charset = word.substr(2, word.find('?', 2) - 2);
        const std::size_t text = word.find("?B?") + 3;
        out += testsupport::LoopbackSmtpSink::DecodeBase64(word.substr(text, word.size() - 2 - text));
        at = end + 2;
    }
    return out;
}

} // namespace

TEST(MailMessage, PlainAsciiMessage) {
    testsupport::ScopedTimeZone utc("UTC");
    std::string message, why;
    ASSERT_EQ(BuildMailMessage(Content(), message, why), 0) << why;
    // Each message has its own Message-ID: only its date and host parts are fixed.
    const std::size_t id = message.find("Message-ID: <1700000000.");
    const std::size_t idEnd = message.find("@enginebox>\r\n", id);
    ASSERT_NE(idEnd, std::string::npos) << message;
    message.replace(id + 12, idEnd + 11 - id - 12, "<id>");
    EXPECT_EQ(message, "Date: Tue, 14 Nov 2023 22:13:20 +0000\r\n"
                       "From: \"Sentrelle Engine\" <engine@example.test>\r\n"
                       "To: ops@example.test,\r\n oncall@example.test\r\n"
                       "Subject: Disk space low\r\n"
                       "Message-ID: <id>\r\n"
                       "MIME-Version: 1.0\r\n"
                       "Content-Type: text/plain; charset=utf-8\r\n"
                       "Content-Transfer-Encoding: 7bit\r\n"
                       "X-Mailer: Sentrelle\r\n"
                       "\r\n"
                       "Line one\r\nLine two\r\nLine three\r\n");
}

TEST(MailMessage, LongUnicodeSubjectSplitsIntoWholeCharacters) {
    MailContent content = Content();
    content.Subject = "Überwachung: Festplatte „Daten“ fast voll – bitte prüfen, äöü ÄÖÜ ß € ✓ ✓ ✓ ✓";
    content.SenderName = "Überwacher \"Nord\"";
    std::string message, why;
    ASSERT_EQ(BuildMailMessage(content, message, why), 0) << why;
    std::string charset;
    std::size_t longest = 0;
    EXPECT_EQ(DecodeWords(Header(message, "Subject"), charset, longest), content.Subject);
    EXPECT_EQ(charset, "utf-8");
    EXPECT_LE(longest, 75u);
    EXPECT_NE(Header(message, "Subject").find("\r\n "), std::string::npos); // more than one word
    EXPECT_EQ(DecodeWords(Header(message, "From"), charset, longest), content.SenderName);
}

TEST(MailMessage, BodiesThatNeedBase64AndOtherCharacterSets) {
    MailContent content = Content();
    content.Body = "Grüße aus dem Rechenzentrum\n€ 5";
    content.CodePage = 28591; // ISO-8859-1: no euro sign
    std::string message, why;
    ASSERT_EQ(BuildMailMessage(content, message, why), 0) << why;
    EXPECT_EQ(Header(message, "Content-Type"), "text/plain; charset=iso-8859-1");
    EXPECT_EQ(Header(message, "Content-Transfer-Encoding"), "base64");
    EXPECT_EQ(testsupport::LoopbackSmtpSink::DecodeBase64(Body(message)), "Gr\xFC\xDF" "e aus dem Rechenzentrum\r\n? 5");

    // Lines too long for mail travel in base64 too, even in plain ASCII.
    content = Content();
    content.Body = std::string(1200, 'x');
    ASSERT_EQ(BuildMailMessage(content, message, why), 0);
    EXPECT_EQ(Header(message, "Content-Transfer-Encoding"), "base64");
    for (std::size_t at = message.find("\r\n\r\n") + 4; at < message.size();) {
        const std::size_t end = message.find("\r\n", at);
        EXPECT_LE(end - at, 76u);
        at = end + 2;
    }

    content.CodePage = 932;
    EXPECT_EQ(BuildMailMessage(content, message, why), 23729);
    EXPECT_EQ(why, "Character set 932 is not supported by this engine");
}

TEST(MailMessage, CharsetNamesAndAddressLists) {
    // A code page that names no character set for mail is refused, not guessed.
    EXPECT_EQ(MailCharsetName(0), "utf-8");
    EXPECT_EQ(MailCharsetName(28605), "iso-8859-15");
    EXPECT_EQ(MailCharsetName(28600), "");
    EXPECT_EQ(SplitAddressList(" a@x.test;b@y.test , c@z.test;; "),
              (std::vector<std::string>{"a@x.test", "b@y.test", "c@z.test"}));
    EXPECT_TRUE(SplitAddressList(" ;, ").empty());
}
