// UTF-8/UTF-16 conversion and code-point counting.
#include "platform/Text.h"

#include <gtest/gtest.h>

using namespace pennoria::platform;

TEST(Text, RoundTripsAllPlanes) {
    std::string text = "a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80"; // a é € 😀
    std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide, u"a\u00e9\u20ac\U0001F600");
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(CountCodePoints(text), 4u);
}

TEST(Text, MalformedInputNeverReadsPastTheEnd) {
    EXPECT_EQ(Utf8ToUtf16("\xE2\x82"), u"\uFFFD\uFFFD");
    EXPECT_EQ(Utf8ToUtf16("\xC0\xAF"), u"\uFFFD\uFFFD"); // overlong
    EXPECT_EQ(Utf16ToUtf8(u"\xD800x"), "\xEF\xBF\xBDx");
}

TEST(Text, PrefixNeverSplitsASequence) {
    std::string text = "\xC3\xA9\xC3\xA9\xC3\xA9";
    EXPECT_EQ(PrefixBytesForCodePoints(text, 2), 4u);
    EXPECT_EQ(PrefixBytesForCodePoints(text, 9), 6u);
}

TEST(Text, CaseAndTrim) {
    EXPECT_TRUE(EqualsIgnoreCase("MaximizeApplicationVC", "maximizeapplicationvc"));
    EXPECT_FALSE(EqualsIgnoreCase("abc", "abd"));
    EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
}

// What this program writes as project text and pages: well-formed UTF-8 holding only characters
// XML allows. Each offending character (or malformed byte) becomes one U+FFFD.
TEST(Text, XmlTextReplacesWhatXmlCannotHold) {
    const std::pair<std::string, std::string> cases[] = {
        {"plain caf\xC3\xA9 \xF0\x9F\x98\x80\t\n\r", "plain caf\xC3\xA9 \xF0\x9F\x98\x80\t\n\r"},
        {"a\xED\xA0\x80z", "a\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBDz"},   // an encoded surrogate
        {"\xEF\xBF\xBE\xEF\xBF\xBF", "\xEF\xBF\xBD\xEF\xBF\xBD"},       // U+FFFE, U+FFFF
        {"\xEF\xB7\x90|\xF0\x9F\xBF\xBF", "\xEF\xBF\xBD|\xEF\xBF\xBD"}, // U+FDD0, U+1FFFF
        {std::string("\x01\x1F\x7F", 3), "\xEF\xBF\xBD\xEF\xBF\xBD\x7F"},
        {std::string("a\0b", 3), "a\xEF\xBF\xBD"
                                 "b"},
        {"\xEF\xBF\xBD kept", "\xEF\xBF\xBD kept"},
        {"cut \xE2\x82", "cut \xEF\xBF\xBD\xEF\xBF\xBD"},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(ToXmlText(in), out) << in;
        EXPECT_EQ(IsXmlText(in), in == out) << in;
        EXPECT_TRUE(IsXmlText(ToXmlText(in))) << in;
    }
}
