#include "library/QvcEncoding.h"
#include "library/QvcString.h"

#include <gtest/gtest.h>

#include <string>

TEST(QvcEncoding, Utf8ValidityAtTheEdgesOfEachSequence) {
    for (const char* good : {"", "plain", "\xC2\xB0\x43", "\xE2\x82\xAC", "\xF0\x9F\x98\x80", "a\xC3\xA9z"})
        EXPECT_TRUE(QvcIsValidUtf8(good)) << good;
    for (const char* bad : {"\xB0", "\xB0\x43", "\xC2", "a\xC2", "\xE2\x82", "\xF0\x9F\x98", "\xC0\x80", "\xC1\xBF",
                            "\xF5\x80\x80\x80", "\xFF", "\xC2\x41", "\xE2\x82\x41"})
        EXPECT_FALSE(QvcIsValidUtf8(bad)) << bad;
}

TEST(QvcEncoding, Latin1RoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = QvcLatin1ToUtf8(all);
    EXPECT_TRUE(QvcIsValidUtf8(utf8));
    EXPECT_EQ(utf8.size(), 127u + 2u * 128u);
    EXPECT_EQ(QvcUtf8ToLatin1(utf8), all);
    EXPECT_EQ(QvcLatin1ToUtf8("\xB0\x46"), "\xC2\xB0\x46");

    // Beyond ISO-8859-1, and broken sequences, become "?" one for one.
    EXPECT_EQ(QvcUtf8ToLatin1("\xE2\x82\xAC 5|x\xF0\x9F\x98\x80y|a\x80\x80\x62|\xC2"), "? 5|x?y|a?b|?");

    // Text already in UTF-8 is left alone; anything else is read as ISO-8859-1.
    EXPECT_EQ(QvcToUtf8("\xC3\xA9t\xC3\xA9"), "\xC3\xA9t\xC3\xA9");
    EXPECT_EQ(QvcToUtf8("\xE9t\xE9"), "\xC3\xA9t\xC3\xA9");

    std::string out;
    QvcAppendUtf8(out, 0x110000);
    EXPECT_EQ(out, "?");
    EXPECT_EQ(CQvcString(L"\u00B0C\U0001F600"), "\xC2\xB0\x43\xF0\x9F\x98\x80");
}
