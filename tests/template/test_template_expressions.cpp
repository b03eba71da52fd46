// Template expressions: lexing, precedence, casts, integer conversion and malformed input.
#include "template/Expression.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace pennoria;

namespace {

TemplateVariables MovieVariables() {
    TemplateVariables variables;
    variables.Set("MovieWidth", "720");
    variables.Set("MovieHeight", "540");
    return variables;
}

struct TagCase {
    const char* tag;
    const char* result;
};

} // namespace

TEST(TemplateExpressions, EvaluatesWellFormedTags) {
    const TagCase cases[] = {
        {"<%= MovieWidth/2 ;%>", "360"},
        {"<%=MovieHeight+20;%>", "560"},
        {"<%= 7/2 ;%>", "3"},
        {"<%= (int)(7/2)*2 ;%>", "6"},
        {"<%= 7/2*2 ;%>", "7"},
        {"<%= (int)7/2*2 ;%>", "7"},
        {"<%= 10-4-3 ;%>", "3"},
        {"<%= 2+3*4 ;%>", "14"},
        {"<%= (2+3)*4 ;%>", "20"},
        {"<%= 1-2.5 ;%>", "-1"},
        {"<%= 5/0 ;%>", "0"},
        {"<%= 0/0 ;%>", "0"},
        {"<%= 3000000000 ;%>", "-1294967296"},
        {"<%= Float(MovieHeight)/3 ;%>", "180"},
        {"<%= 2 3 ;%>", "3"},
        {"<%==5;%>", "5"},                 // delimiters are stripped as sets of characters
        {"<%= 1.2.3*10 ;%>", "12"},        // a number ends where its digits and dots end
        {"<%= INT(7.9)+Float 1 ;%>", "8"}, // only the first letter of a cast word counts
        {"<%= ((((1+2)))) ;%>", "3"},
    };
    const TemplateVariables variables = MovieVariables();
    for (const TagCase& c : cases)
        EXPECT_EQ(EvaluateExpressionTag(c.tag, variables), c.result) << c.tag;
}

TEST(TemplateExpressions, MalformedTagsGiveZero) {
    const char* const cases[] = {
        "<%= ;%>",
        "<%= -5 ;%>",
        "<%= (int)(float)5 ;%>",
        "<%= (INT)5 ;%>",
        "<%= 5) ;%>",
        "<%= (5 ;%>",
        "<%= 5\t+1 ;%>",
        "<%= 5\n+1 ;%>",
        "<%= x ;%>",
        "<%= 5 % 2 ;%>",
        "<%= 5+ ;%>",
        "<%= .5 ;%>",
        "<%= 1e5 ;%>",
        "<%= 0x10 ;%>",
        "<%= f ;%>",
        "<%= MovieWidth\xC3\xA9 ;%>",
        "",
        "<%=;%>",
        "<%= * ;%>",
        "<%= () ;%>",
    };
    const TemplateVariables variables = MovieVariables();
    for (const char* tag : cases)
        EXPECT_EQ(EvaluateExpressionTag(tag, variables), "0") << tag;
}

TEST(TemplateExpressions, VariablesAreReplacedByBareNameInTableOrder) {
    TemplateVariables variables;
    variables.Set("Width", "7");
    EXPECT_EQ(EvaluateExpressionTag("<%= 1Width+1 ;%>", variables), "18"); // inside a word too

    // "MovieWidth" is replaced before the shorter "Movie" could take its first letters.
    variables.Set("Movie", "1");
    variables.Set("MovieWidth", "720");
    EXPECT_EQ(EvaluateExpressionTag("<%= MovieWidth ;%>", variables), "720");
}

TEST(TemplateExpressions, ToInt32TruncatesAndWraps) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const std::pair<double, std::int32_t> cases[] = {
        {2147483647.0, 2147483647},
        {2147483648.0, -2147483647 - 1},
        {4294967296.0, 0},
        {4294967297.9, 1},
        {-1.9, -1},
        {-2147483649.0, 2147483647},
        {nan, 0},
        {inf, 0},
        {-inf, 0},
        {1e19, 0},
        {-9223372036854775808.0, 0},
        {9223372036854774784.0, -1024},
        {9223372036854775808.0, 0},
        {-0.5, 0},
    };
    for (auto [value, expected] : cases)
        EXPECT_EQ(ToInt32(value), expected) << value;
}
