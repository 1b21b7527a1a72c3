// The numbered user-interface texts: lookup, line breaks, placeholders.
#include "library/Messages.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>

namespace {

std::string Message(unsigned id) {
    const char* text = MessageText(id);
    return text != nullptr ? text : "<null>";
}

// Formats message `id` the way the dialogs do.
template <typename... Args> std::string Formatted(unsigned id, Args... args) {
    char buffer[1024];
    std::snprintf(buffer, sizeof buffer, MessageText(id), args...);
    return buffer;
}

// The printf conversions a text uses, in order ("sd" for "%s ... %d").
std::string Conversions(const std::string& text) {
    std::string kinds;
    for (std::size_t i = text.find('%'); i != std::string::npos; i = text.find('%', i + 1)) {
        std::size_t j = i + 1;
        while (j < text.size() && text[j] == 'l') {
            ++j;
        }
        kinds += j < text.size() ? text[j] : '?';
    }
    return kinds;
}

} // namespace

TEST(Messages, LooksUpExactTextsAndRefusesUnknownIds) {
    // Lowest and highest numbers of the table; backslashes that are part of a text stay
    // (a UNC path starts with two of them); placeholders are kept for the dialogs.
    EXPECT_EQ(Message(2200), "Invalid e-mail address.");
    EXPECT_EQ(Message(61699), "WMI Performance Counter required.");
    EXPECT_EQ(Message(51523), "File must be in UNC format (i.e.: \\\\server\\share\\...).");
    EXPECT_EQ(Formatted(61458, 4711L), "Node [4711] does not exist in the configuration database.");
    EXPECT_EQ(Message(61515), "Units invalid. Select 'MB', 'GB\" or '%'.");
    // A doubled CR LF pair for an empty line stays doubled.
    EXPECT_NE(Message(51742).find("'Start'.\r\n\r\nDo you want"), std::string::npos);

    // Numbers with no text of their own, between known ones and beyond both ends.
    for (unsigned id : {0u, 1u, 2199u, 3004u, 3006u, 51593u, 51579u, 61700u, 65535u, UINT_MAX}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(MessageText(id), nullptr);
    }
}

TEST(Messages, EveryTextHasRealLineBreaksAndOnlyTheConversionsCallersPass) {
    int withText = 0;
    for (unsigned id = 0; id < 70000; ++id) {
        const char* text = MessageText(id);
        if (text == nullptr)
            continue;
        ++withText;
        SCOPED_TRACE(id);
        const std::string s = text;
        EXPECT_FALSE(s.empty());
        // No escape sequence as two characters; a CR only ever starts a CR LF pair.
        EXPECT_EQ(s.find("\\n"), std::string::npos);
        EXPECT_EQ(s.find("\\r"), std::string::npos);
        for (std::size_t i = s.find('\r'); i != std::string::npos; i = s.find('\r', i + 1))
            EXPECT_EQ(s.substr(i, 2), "\r\n");
        // %s, %d and %ld only; the unit "%" of 61515 is shown without formatting.
        for (char kind : Conversions(id == 61515 ? "" : s))
            EXPECT_TRUE(kind == 's' || kind == 'd') << s;
    }
    EXPECT_GT(withText, 150);
}
