// The framework's filter form as file-chooser filters.
#include "platform/FileFilter.h"

#include <gtest/gtest.h>

using pennoria::platform::ParseFilterForm;

TEST(FileFilter, PairsUntilDoubleBar) {
    auto filters =
        ParseFilterForm("Project files(*.pbf;*.xml)|*.pbf; *.xml|All files|*.*||ignored|*.x");
    ASSERT_EQ(filters.size(), 2u);
    EXPECT_EQ(filters[0].description, "Project files(*.pbf;*.xml)");
    EXPECT_EQ(filters[0].patterns, (std::vector<std::string>{"*.pbf", "*.xml"}));
    EXPECT_EQ(filters[1].patterns, (std::vector<std::string>{"*.*"}));
}

TEST(FileFilter, MalformedFormsGiveWhatIsComplete) {
    EXPECT_TRUE(ParseFilterForm("").empty());
    EXPECT_TRUE(ParseFilterForm("Images only").empty());
    EXPECT_EQ(ParseFilterForm("Images|*.png").size(), 1u); // no closing bars
    EXPECT_TRUE(ParseFilterForm("|||").empty());
}
