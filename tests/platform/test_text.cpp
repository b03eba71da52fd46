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
