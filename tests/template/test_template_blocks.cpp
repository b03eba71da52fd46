// The template scanner, conditional blocks and substitution, run on templates held in memory.
#include "template/PageTemplate.h"

#include <gtest/gtest.h>

using namespace pennoria;

namespace {

CPageTemplate MakeEngine() {
    CPageTemplate engine("banner.swf", 720, 540);
    TemplateVariables& variables = engine.Variables();
    variables.Set("MovieWidth", "720");
    variables.Set("MovieHeight", "540");
    variables.Set("MainSWF", "banner.swf");
    variables.Set("AlbumTitle", "banner");
    variables.Set("Empty", "");
    variables.Set("Zero", "0");
    variables.Set("NineteenLettersLong", "yes");
    variables.Set("TwentyFiveLettersLongName", "yes");
    variables.Set("Mosaiq_Footer", "footer");
    return engine;
}

struct RenderCase {
    const char* name;
    std::string templateText;
    std::string page;
};

} // namespace

TEST(TemplateBlocks, RendersTemplates) {
    const RenderCase cases[] = {
        {"active if", R"(A<ca:if x="$AlbumTitle">B</ca:if><ca:else>C</ca:else>D)", "ABD"},
        {"inactive if", R"(A<ca:if x="$Empty">B</ca:if><ca:else>C</ca:else>D)", "ACD"},
        {"missing variable", R"(<ca:if x="$Nope">B</ca:if><ca:else>C</ca:else>)", "C"},
        {"nested in inactive",
         R"(<ca:if x="$Empty">X<ca:if x="$AlbumTitle">Y</ca:if><ca:else>Z</ca:else></ca:if>W)",
         "W"},
        {"nested active",
         R"(<ca:if x="$AlbumTitle">X<ca:if x="$Empty">Y</ca:if><ca:else>Z</ca:else>V</ca:if>)",
         "XZV"},
        {"zero is not empty", R"(<ca:if x="$Zero">on</ca:if>)", "on"},
        {"else refers to last closed if",
         R"(<ca:if x="$Empty">A</ca:if>B<ca:if x="$Zero">C</ca:if>D<ca:else>E</ca:else>)", "BCD"},
        {"underscore ends the name", R"(<ca:if x="$Mosaiq_Footer">F</ca:if>.)", "."},
        {"nineteen letters", R"(<ca:if x="$NineteenLettersLong">L</ca:if>)", "L"},
        {"longer names are taken whole", R"(<ca:if x="$TwentyFiveLettersLongName">L</ca:if>)", "L"},
        {"a longer name is not cut to a shorter variable",
         R"(<ca:if x="$NineteenLettersLongX">L</ca:if>)", ""},
        {"single quotes", R"(<ca:if x='$AlbumTitle'>X</ca:if>)", ""},
        {"first quoted value", R"(<ca:if a="1" x="$AlbumTitle">X</ca:if>)", ""},
        {"no quote", R"(<ca:if>X</ca:if><ca:else>Y</ca:else>)", "Y"},
        {"misspelt markup dropped", R"(A<ca:elseif x="$Empty">B)", "AB"},
        {"stray closings keep the base entry",
         R"(A</ca:if>B</ca:else></ca:if>C<ca:if x="$Empty">X</ca:if>D)", "ABCD"},
        {"block open at the end", R"(A<ca:if x="$Empty">B<p>C)", "A"},
        {"line breaks go with their block",
         "a\n<ca:if x=\"$Empty\">\n  X\n</ca:if>\n<ca:else>\n  Y\n</ca:else>\nb",
         "a\n\n\n  Y\n\nb"},
        {"plain html", "<!DOCTYPE html>\r\n<p class=\"x\">\ttext $MainSWF</p>\r\n",
         "<!DOCTYPE html>\r\n<p class=\"x\">\ttext banner.swf</p>\r\n"},
        {"expression in quoted attribute", R"(<img width="<%= MovieWidth/2 ;%>" src="$MainSWF">)",
         R"(<img width="360" src="banner.swf">)"},
        {"dollar reference inside an expression", R"(<img width="<%= $MovieWidth/2 ;%>">)",
         R"(<img width="360">)"},
        {"same expression twice", R"(<embed w="<%= MovieWidth-20 ;%>" h="<%= MovieWidth-20 ;%>">)",
         R"(<embed w="700" h="700">)"},
        {"expression in running text", "Width: <%= MovieWidth ;%> px", "Width: 720 px"},
        {"expression in comment stays", "<!-- <%= MovieWidth ;%> $MainSWF -->",
         "<!-- <%= MovieWidth ;%> banner.swf -->"},
        {"expression in text run stays", "w=(<%= MovieWidth ;%>)", "w=(<%= MovieWidth ;%>)"},
        {"expression without end", R"(<img width="<%= 5 %>">)", R"(<img width="<%= 5 %>">)"},
        {"scripts", "a<% anything %>b<%>c<% \"%>\" %>d", "a b c d"},
        {"parenthesised less-than", "if (a<b) go();<b>", "if (a<b) go();<b>"},
        {"caption is a tag", "<caption>T</caption></canvas>", "<caption>T</caption></canvas>"},
        {"unterminated tag", R"(A<img src="x>y)", R"(A<img src="x>y)"},
        {"unterminated comment", "A<!-- $MainSWF", "A<!-- banner.swf"},
        {"unterminated script", "A<% x", "A "},
        {"unterminated parenthesis", "f(a<b", "f(a<b"},
        {"unknown dollar", "$5 $Nope $", "$5 $Nope $"},
        {"utf-8 passes through", "caf\xC3\xA9 <b title=\"\xE2\x82\xAC\">\xFF</b>",
         "caf\xC3\xA9 <b title=\"\xE2\x82\xAC\">\xFF</b>"},
        {"zero byte ends the template", std::string("AB\0<ca:if>CD", 12), "AB"},
        {"empty", "", ""},
    };
    for (const RenderCase& c : cases) {
        CPageTemplate engine = MakeEngine();
        EXPECT_EQ(engine.RenderTemplate(c.templateText), c.page) << c.name;
    }
}

TEST(TemplateBlocks, ScansTokens) {
    struct ScanCase {
        std::string templateText;
        std::string firstToken;
        TemplateTokenKind kind;
    };
    using K = TemplateTokenKind;
    const ScanCase cases[] = {
        {" \t\r\nx", " \t\r\n", K::Text},
        {"if (a<b) go(); x<p>", "if (a<b) go(); x", K::Text},
        {"<!-->x", "<!-->", K::Comment},
        {"<!-- a > \"b --> c -->", "<!-- a > \"b -->", K::Comment},
        {"<a title=\"x>y\">z", "<a title=\"x>y\">", K::Tag},
        {"<%= a>b ;%>x", "<%= a>", K::Tag},
        {"<% a > b %>x", "<% a > b %>", K::Script},
        {"<%>x", "<%>", K::Script},
        {"<ca:if x=\"$A\">x", "<ca:if x=\"$A\">", K::Markup},
        {"</ca:else>x", "</ca:else>", K::Markup},
        {"</cax>", "</cax>", K::Tag},
    };
    for (const ScanCase& c : cases) {
        CPageTemplate engine = MakeEngine();
        engine.BeginTemplate(c.templateText);
        TemplateToken token;
        ASSERT_TRUE(engine.ScanToken(token)) << c.templateText;
        EXPECT_EQ(token.text, c.firstToken) << c.templateText;
        EXPECT_EQ(token.kind, c.kind) << c.templateText;
    }
}

TEST(TemplateBlocks, RememberedResultCarriesOverToTheNextTemplate) {
    CPageTemplate engine = MakeEngine();
    EXPECT_EQ(engine.RenderTemplate("<ca:else>E</ca:else>"), "E"); // nothing closed yet
    EXPECT_EQ(engine.RenderTemplate(R"(<ca:if x="$AlbumTitle">A</ca:if>)"), "A");
    EXPECT_EQ(engine.RenderTemplate("<ca:else>E</ca:else>"), "");
}

TEST(TemplateBlocks, DeepNestingAndLongTemplates) {
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += R"(<ca:if x="$AlbumTitle">)";
    text += "<b w=\"<%= MovieWidth*2 ;%>\">";
    for (int i = 0; i < 20000; ++i)
        text += "</ca:if>";
    text += "<ca:else>never</ca:else>";
    CPageTemplate engine = MakeEngine();
    EXPECT_EQ(engine.RenderTemplate(text), "<b w=\"1440\">");
}

TEST(TemplateVariables, IterationOrderIgnoresInsertionOrder) {
    const std::vector<std::string> pageOrder = {
        "MainSWF",     "CreatorSite",   "Creator",    "StylePath",  "ResourcePath",
        "MovieHeight", "Mosaiq_Footer", "MovieWidth", "AlbumTitle", "EmbedTip",
        "Encoding",    "Copyright",     "SponsorSite"};
    TemplateVariables variables;
    variables.Set("Ab", "");
    for (auto it = pageOrder.rbegin(); it != pageOrder.rend(); ++it)
        variables.Set(*it, "v");
    variables.Set("Abc", "");
    variables.Set("Creator", "again"); // replaces, does not add
    std::vector<std::string> names;
    for (const auto& entry : variables)
        names.push_back(entry.first);
    std::vector<std::string> expected = pageOrder;
    expected.push_back("Abc");
    expected.push_back("Ab");
    EXPECT_EQ(names, expected);
    EXPECT_EQ(variables.Value("Creator"), "again");
    EXPECT_EQ(variables.Find("creator"), nullptr); // names are case-sensitive
}

TEST(TemplateVariables, CreatorSiteIsReplacedBeforeCreator) {
    CPageTemplate engine("m.swf", 0, 0);
    engine.Variables().Set("Creator", "Slidora");
    engine.Variables().Set("CreatorSite", "https://example.org/");
    EXPECT_EQ(engine.RenderTemplate(R"(<a href="$CreatorSite">$Creator</a>)"),
              R"(<a href="https://example.org/">Slidora</a>)");
}

TEST(TemplateBlocks, TagWithCountlessExpressionsStillEnds) {
    // Every expression tag differs, so each needs its own pass over the rest of the tag.
    std::string tag = "<b w=\"<%= MovieWidth ;%>\"";
    for (int i = 0; i < 150000; ++i)
        tag += " a=\"<%=" + std::to_string(i) + ";%>\"";
    tag += ">";
    CPageTemplate engine = MakeEngine();
    std::string page = engine.RenderTemplate(tag);
    EXPECT_EQ(page.rfind("<b w=\"720\" a=\"0\" a=\"1\"", 0), 0u);
    EXPECT_NE(page.find("a=\"<%=149999;%>\">"), std::string::npos); // left as written
}
