// The error table: prefix and generic fallback, exact lookup, and the shape of its texts.
#include "library/ErrorTexts.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

std::string Text(long code) {
    return ErrorText(code).Str();
}

} // namespace

TEST(ErrorTexts, LookupFindsExactlyTheTableEntries) {
    // 0, negative codes (including the service-control and null-node codes), codes between
    // families, just outside the first and last family, unused numbers inside a family
    // (an off-by-one lookup would return a neighbour) and the extremes of the type.
    const long unknown[] = {0,     -1,    -1000, -90001, 353,      593,     699,   733,
                            1103,  9999,  12000, 24000,  25002,    25221,   25250, 25450,
                            25509, 25600, 28000, 37813,  LONG_MAX, LONG_MIN};
    for (long code : unknown) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ErrorTextOnly(code), nullptr);
        EXPECT_EQ(Text(code), "Error #" + std::to_string(code) + ": Generic Error");
    }
    // Neighbours of the gaps above, and the first and last entry of the table.
    for (long code : {25001L, 25003L, 354L, 37812L})
        EXPECT_NE(ErrorTextOnly(code), nullptr) << code;

    // The out-parameter form overwrites whatever the string held and returns that string.
    CQvcString text("left over from an earlier message");
    EXPECT_EQ(&ErrorText(25004, text), &text);
    EXPECT_EQ(text.Str(), "Error #25004: Unable to open Configuration Database");
}

TEST(ErrorTexts, EveryKnownTextIsACleanPhraseAfterItsPrefix) {
    long known = 0;
    for (long code = -100; code <= 40000; ++code) {
        const char* only = ErrorTextOnly(code);
        if (only == nullptr)
            continue;
        SCOPED_TRACE(code);
        ++known;
        // The text is shown after the prefix and may get a full stop appended, so it must be
        // a clean phrase without placeholders or surrounding blanks.
        const std::string text = only;
        ASSERT_FALSE(text.empty());
        EXPECT_TRUE(text.front() != ' ' && text.back() != ' ' && text.back() != '.') << text;
        EXPECT_EQ(text.find_first_of("%\n"), std::string::npos) << text;
        EXPECT_EQ(Text(code), "Error #" + std::to_string(code) + ": " + text);
    }
    EXPECT_GT(known, 1000);
}
