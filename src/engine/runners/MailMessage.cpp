#include "engine/MailMessage.h"

#include "library/QvcEncoding.h"

#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <random>

namespace {

constexpr std::size_t kEncodedWordMax = 75;
constexpr std::size_t kMaxLine = 998;

std::string Base64(std::string_view bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    std::size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) |
                           (static_cast<unsigned char>(bytes[i + 1]) << 8) | static_cast<unsigned char>(bytes[i + 2]);
        out += kDigits[v >> 18];
        out += kDigits[(v >> 12) & 63];
        out += kDigits[(v >> 6) & 63];
        out += kDigits[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size())
            v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += kDigits[v >> 18];
        out += kDigits[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

bool IsAscii(std::string_view text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    }
    return true;
}

// UTF-8 to the character set; characters it lacks become "?".
bool Convert(const std::string& utf8, const std::string& charset, std::string& out) {
    out.clear();
    if (charset == "utf-8") {
        out = utf8;
        return true;
    }
    using Handle = std::unique_ptr<std::remove_pointer_t<iconv_t>, int (*)(iconv_t)>;
    Handle cd(::iconv_open(charset.c_str(), "UTF-8"), &::iconv_close);
    if (cd.get() == reinterpret_cast<iconv_t>(-1)) {
        cd.release(); // not a handle: nothing to close
        return false;
    }
    std::string input = utf8;
    char* in = input.data();
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* put = buffer;
        std::size_t room = sizeof buffer;
        const std::size_t rc = ::iconv(cd.get(), &in, &inLeft, &put, &room);
        out.append(buffer, static_cast<std::size_t>(put - buffer));
        if (rc != static_cast<std::size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // A character the set lacks (or a broken sequence): write "?" and skip it.
        out += '?';
        std::size_t skip = 1;
        while (skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80)
            ++skip;
        in += skip;
        inLeft -= skip;
    }
    return true;
}

// An unstructured header value: as it is when plain ASCII, otherwise as encoded words
// that never split a UTF-8 character.
std::string HeaderText(const std::string& text, const std::string& converted, const std::string& charset) {
    bool plain = IsAscii(text);
    for (char c : text)
        plain = plain && c != '\r' && c != '\n';
    if (plain)
        return text;
    const std::string prefix = "=?" + charset + "?B?";
    const std::size_t room = (kEncodedWordMax - prefix.size() - 2) / 4 * 3;
    std::string out;
    std::size_t at = 0;
    while (at < converted.size()) {
        std::size_t take = std::min(room, converted.size() - at);
        if (charset == "utf-8") {
            while (take > 1 && at + take < converted.size() &&
                   (static_cast<unsigned char>(converted[at + take]) & 0xC0) == 0x80)
                --take;
        }
        if (!out.empty())
            out += "\r\n ";
        out += prefix + Base64(std::string_view(converted).substr(at, take)) + "?=";
        at += take;
    }
    return out;
}

std::string RfcDate(std::time_t when) {
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    ::localtime_r(&when, &local);
    const long offset = local.tm_gmtoff / 60;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d %c%02ld%02ld", kDays[local.tm_wday],
                  local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour, local.tm_min,
                  local.tm_sec, offset < 0 ? '-' : '+', std::labs(offset) / 60, std::labs(offset) % 60);
    return buffer;
}

// Every line break as CR LF.
std::string CrLf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else if (text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

bool LinesFit(const std::string& text) {
    std::size_t length = 0;
    for (char c : text) {
        length = c == '\n' ? 0 : length + 1;
        if (length > kMaxLine)
            return false;
    }
    return true;
}

} // namespace

std::string MailCharsetName(int codePage) {
    if (codePage == 0 || codePage == 65001)
        return "utf-8";
    if (codePage == 20127)
        return "us-ascii";
    if ((codePage >= 28591 && codePage <= 28599) || codePage == 28603 || codePage == 28605)
        return "iso-8859-" + std::to_string(codePage - 28590);
    if (codePage >= 1250 && codePage <= 1258)
        return "windows-" + std::to_string(codePage);
    if (codePage == 20866)
        return "koi8-r";
    if (codePage == 21866)
        return "koi8-u";
    return {};
}

long BuildMailMessage(const MailContent& content, std::string& out, std::string& why) {
    out.clear();
    const std::string charset = MailCharsetName(content.CodePage);
    // Texts from older files may still be ISO-8859-1: they are read as such.
    const std::string subject = QvcToUtf8(content.Subject);
    const std::string senderName = QvcToUtf8(content.SenderName);
    const std::string body = CrLf(QvcToUtf8(content.Body));
    std::string subjectBytes, senderBytes, bodyBytes;
    if (charset.empty() || !Convert(subject, charset, subjectBytes) || !Convert(senderName, charset, senderBytes) ||
        !Convert(body, charset, bodyBytes)) {
        why = "Character set " + std::to_string(content.CodePage) + " is not supported by this engine";
        return 23729;
    }

    std::string from;
    if (senderName.empty()) {
        from = "<" + content.SenderAddress + ">";
    } else if (IsAscii(senderName)) {
        std::string quoted;
        for (char c : senderName) {
            if (c == '"' || c == '\\')
                quoted += '\\';
            if (c != '\r' && c != '\n')
                quoted += c;
        }
        from = "\"" + quoted + "\" <" + content.SenderAddress + ">";
    } else {
        from = HeaderText(senderName, senderBytes, charset) + " <" + content.SenderAddress + ">";
    }
    std::string to;
    for (const std::string& recipient : content.Recipients)
        to += (to.empty() ? "" : ",\r\n ") + recipient;

    std::random_device seed;
    const std::string host = content.HostName.empty() ? "localhost" : content.HostName;
    std::string messageId(1, '<');
    ((messageId += std::to_string(static_cast<long long>(content.Date))) += '.') += std::to_string(::getpid());
    ((((messageId += '.') += std::to_string(seed())) += '@') += host) += '>';

    const bool plain = IsAscii(bodyBytes) && LinesFit(bodyBytes);
    out += "Date: " + RfcDate(content.Date) + "\r\n";
    out += "From: " + from + "\r\n";
    out += "To: " + to + "\r\n";
    out += "Subject: " + HeaderText(subject, subjectBytes, charset) + "\r\n";
    out += "Message-ID: " + messageId + "\r\n";
    out += "MIME-Version: 1.0\r\n";
    out += "Content-Type: text/plain; charset=" + charset + "\r\n";
    out += std::string("Content-Transfer-Encoding: ") + (plain ? "7bit" : "base64") + "\r\n";
    out += "X-Mailer: Sentrelle\r\n";
    out += "\r\n";
    if (plain) {
        out += bodyBytes;
    } else {
        const std::string encoded = Base64(bodyBytes);
        for (std::size_t at = 0; at < encoded.size(); at += 76)
            out += encoded.substr(at, 76) + "\r\n";
    }
    if (out.size() < 2 || out.compare(out.size() - 2, 2, "\r\n") != 0)
        out += "\r\n";
    return 0;
}

std::vector<std::string> SplitAddressList(const std::string& list) {
    std::vector<std::string> out;
    std::string current;
    for (char c : list + ";") {
        if (c == ';' || c == ',' || c == ' ' || c == '\t' || c == '\r' || c == '\n') {
            if (!current.empty())
                out.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    return out;
}
