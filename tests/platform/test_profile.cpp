// INI lookup with the usual private-profile rules.
#include "platform/Profile.h"

#include <gtest/gtest.h>

using pennoria::platform::LookupProfileText;

TEST(Profile, NamesIgnoreCaseValuesTrimmedAndUnquoted) {
    const char* ini =
        "\xEF\xBB\xBF; comment\n[Other]\n8=wrong\n[ string ]\n  8 = \"quoted value\" \r\n"
        "8=second\nempty=\nsemi=a ; b\n";
    EXPECT_EQ(LookupProfileText(ini, "STRING", "8").value(), "quoted value");
    EXPECT_EQ(LookupProfileText(ini, "string", "EMPTY").value(), "");
    EXPECT_EQ(LookupProfileText(ini, "STRING", "semi").value(), "a ; b");
    EXPECT_FALSE(LookupProfileText(ini, "STRING", "9"));
    EXPECT_FALSE(LookupProfileText(ini, "missing", "8"));
}
