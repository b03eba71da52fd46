// CXmlDocument: loads, the queries the program uses, result codes, encodings, saving.
#include "tests/TestSupport.h"
#include "xml/XmlDocument.h"

#include <gtest/gtest.h>

#include <fstream>

using namespace pennoria;
using pennoria::testing::ReadFileText;
using pennoria::testing::ScopedEnv;
using pennoria::testing::ScratchFolder;
using pennoria::testing::WriteFileText;

namespace {

const char* kRequest = "<invoke name=\"SaveProjectFileVC\" returntype=\"xml\"><arguments>"
                       "<string>one</string><string>two &amp; more</string><string> three "
                       "</string></arguments></invoke>";

// The debug channel's lines while the object lives.
class DebugCapture {
public:
    DebugCapture() : m_env("PENNORIA_DEBUG_LOG", m_dir / "debug.log") {}
    std::string Text() const { return ReadFileText(m_dir / "debug.log"); }

private:
    ScratchFolder m_dir;
    ScopedEnv m_env;
};

} // namespace

TEST(XmlLoad, MissingFileFailsWithDiagnosticAndEmptyDocument) {
    DebugCapture debug;
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText("<template img=\"a.png\"/>"));
    EXPECT_FALSE(doc.LoadFile("/nonexistent/skins.xml"));
    EXPECT_EQ(debug.Text(), "Error while loading .xml\n");
    // The failed load replaced the earlier document with an empty one.
    std::string out = "x";
    EXPECT_EQ(doc.GetAttribute("template", "img", out), 1);
    EXPECT_EQ(out, "");
    std::string text = "keep";
    EXPECT_EQ(doc.GetNodeText("template", text), -1);
    EXPECT_EQ(text, "keep");
    std::vector<std::string> list{"old"};
    EXPECT_EQ(doc.SelectNodeTexts("//*", list), 0);
    EXPECT_TRUE(list.empty());
}

TEST(XmlLoad, MalformedTextFailsSilently) {
    DebugCapture debug;
    const char* bad[] = {
        "",
        "<a>",
        "<a></b>",
        "<a/><b/>", // two root elements
        "<a/>tail",
        "text<a/>",
        "<a x='1' x='2'/>",
        "\xFF<a/>",
        "<a>\xC3</a>", // cut UTF-8 sequence
    };
    for (const char* text : bad) {
        CXmlDocument doc;
        EXPECT_FALSE(doc.LoadText(text)) << text;
    }
    EXPECT_EQ(debug.Text(), "");
}

TEST(XmlLoad, EntitiesBeyondThePredefinedOnesAreNeverExpanded) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText("<!DOCTYPE string [<!ENTITY big \"expanded\">]>"
                             "<string>&lt;&amp;&#65;&big;</string>"));
    std::string text;
    ASSERT_EQ(doc.GetNodeText("string", text), 0);
    EXPECT_EQ(text, "<&A&big;");
}

TEST(XmlQuery, GetAttributeResultCodes) {
    struct Case {
        const char* xml;
        const char* query;
        const char* name;
        int result;
        const char* value;
    } cases[] = {
        {"<template demoWidth=\"800\"/>", "template", "demoWidth", 0, "800"},
        {"<template demoWidth=\"800\"/>", "template", "img", -1, ""},
        {"<project img=\"a\"/>", "template", "img", 1, ""},
        {"<template><component><info url=\"u1\"/><info url=\"u2\"/></component></template>",
         "//template/component/info", "url", 0, "u1"},
        {"<template>text</template>", "//template/text()", "img", 0, ""}, // not an element
        {"<template img=\"a\"/>", "//template[", "img", -1, ""},          // query fails
        {"<template img=\"a\"/>", "count(//template)", "img", -1, ""},    // not a node set
    };
    for (const Case& c : cases) {
        CXmlDocument doc;
        ASSERT_TRUE(doc.LoadText(c.xml)) << c.xml;
        std::string out = "previous";
        EXPECT_EQ(doc.GetAttribute(c.query, c.name, out), c.result) << c.xml << " " << c.query;
        EXPECT_EQ(out, c.value) << c.xml << " " << c.query;
    }
}

TEST(XmlQuery, GetAttributeIntScansLikeDecimalInput) {
    struct Case {
        const char* value;
        int result;
        int expected;
    } cases[] = {
        {"800", 0, 800},   {"800px", 0, 800}, {"  -12x", 0, -12}, {"+7", 0, 7},
        {"px800", 0, 720}, {"", 0, 720},      {"-", 0, 720},      {"99999999999", 0, 2147483647},
    };
    for (const Case& c : cases) {
        CXmlDocument doc;
        ASSERT_TRUE(doc.LoadText(std::string("<template demoWidth=\"") + c.value + "\"/>"));
        int width = 720;
        EXPECT_EQ(doc.GetAttributeInt("template", "demoWidth", width), c.result) << c.value;
        EXPECT_EQ(width, c.expected) << c.value;
    }
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText("<template/>"));
    int height = 540;
    EXPECT_EQ(doc.GetAttributeInt("template", "demoHeight", height), -1);
    EXPECT_EQ(height, 540);
}

TEST(XmlQuery, GetNodeTextConcatenatesDescendantText) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText("<string>abc</string>"));
    std::string text;
    EXPECT_EQ(doc.GetNodeText("string", text), 0);
    EXPECT_EQ(text, "abc");
    text = "earlier";
    EXPECT_EQ(doc.GetNodeText("invoke", text), -1);
    EXPECT_EQ(text, "earlier");
    EXPECT_EQ(doc.GetNodeText("//[", text), -1);
    EXPECT_EQ(text, "earlier");

    ASSERT_TRUE(doc.LoadText("<skins><frame><Top>a<b>b<!--no-->c</b><![CDATA[<d>]]></Top>"
                             "</frame></skins>"));
    EXPECT_EQ(doc.GetNodeText("//skins/frame/Top", text), 0);
    EXPECT_EQ(text, "abc<d>");
}

TEST(XmlQuery, SelectNodeTextsInDocumentOrder) {
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText(kRequest));
    std::vector<std::string> args{"stale"};
    EXPECT_EQ(doc.SelectNodeTexts("//invoke/arguments/*", args), 0);
    EXPECT_EQ(args, (std::vector<std::string>{"one", "two & more", " three "}));
    std::string name;
    EXPECT_EQ(doc.GetAttribute("invoke", "name", name), 0);
    EXPECT_EQ(name, "SaveProjectFileVC");

    ASSERT_TRUE(doc.LoadText("<invoke name=\"x\"/>"));
    EXPECT_EQ(doc.SelectNodeTexts("//invoke/arguments/*", args), 0);
    EXPECT_TRUE(args.empty());

    args = {"kept"};
    EXPECT_NE(doc.SelectNodeTexts("//invoke/[", args), 0);
    EXPECT_EQ(args, std::vector<std::string>{"kept"});
}

TEST(XmlSave, SetAttributeOnTextDocumentAnswersFailureButKeepsTheChange) {
    ScratchFolder dir;
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText("<template img=\"old.png\"><component><info url=\"x\"/></component>"
                             "</template>"));
    EXPECT_EQ(doc.SetAttributeAndSave("template", "img", "images/new.png"), -1);
    EXPECT_EQ(doc.SetAttributeAndSave("//template/component/info", "url", "res/t.swf"), -1);
    EXPECT_EQ(doc.SetAttributeAndSave("//nothing", "url", "v"), -1);
    ASSERT_TRUE(doc.Save(dir / "template.xml"));

    CXmlDocument again;
    ASSERT_TRUE(again.LoadFile(dir / "template.xml"));
    std::string value;
    EXPECT_EQ(again.GetAttribute("template", "img", value), 0);
    EXPECT_EQ(value, "images/new.png");
    EXPECT_EQ(again.GetAttribute("//template/component/info", "url", value), 0);
    EXPECT_EQ(value, "res/t.swf");
}

TEST(XmlSave, SetAttributeAndSaveWritesTheLoadedFile) {
    ScratchFolder dir;
    std::string path = dir / "skins.xml";
    WriteFileText(path,
                  "<?xml version=\"1.0\"?>\n<!-- skin -->\n<skins a=\"1\"><frame/></skins>\n");
    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadFile(path));
    EXPECT_EQ(doc.SetAttributeAndSave("skins", "a", "2 & \"3\""), 0);
    EXPECT_EQ(doc.SetAttributeAndSave("skins", "bad name", "v"), -1); // not writable as XML
    std::string saved = ReadFileText(path);
    EXPECT_NE(saved.find("<!-- skin -->"), std::string::npos) << saved;
    CXmlDocument again;
    ASSERT_TRUE(again.LoadFile(path));
    std::string value;
    EXPECT_EQ(again.GetAttribute("skins", "a", value), 0);
    EXPECT_EQ(value, "2 & \"3\"");
}

TEST(XmlSave, NothingToSave) {
    ScratchFolder dir;
    std::string path = dir / "keep.xml";
    WriteFileText(path, "precious");
    CXmlDocument never;
    EXPECT_FALSE(never.Save(path));
    CXmlDocument failed;
    EXPECT_FALSE(failed.LoadText("<broken"));
    EXPECT_FALSE(failed.Save(path));
    EXPECT_FALSE(failed.LastSaveError().empty());
    EXPECT_EQ(ReadFileText(path), "precious");

    CXmlDocument doc;
    ASSERT_TRUE(doc.LoadText("<a/>"));
    EXPECT_FALSE(doc.Save(dir / "missing-folder/out.xml"));
    EXPECT_NE(doc.LastSaveError().find("missing-folder"), std::string::npos);
}

TEST(XmlEncoding, FilesAreReadInTheirDeclaredEncoding) {
    ScratchFolder dir;
    struct Case {
        const char* name;
        std::string bytes;
        bool loads;
    } cases[] = {
        {"utf8", "<?xml version=\"1.0\" encoding=\"UTF-8\"?><s>caf\xC3\xA9</s>", true},
        {"bom", "\xEF\xBB\xBF<s>caf\xC3\xA9</s>", true},
        {"latin1", "<?xml version='1.0' encoding='ISO-8859-1'?><s>caf\xE9</s>", true},
        {"utf16", std::string("\xFF\xFE<\0s\0>\0c\0a\0f\0\xE9\0<\0/\0s\0>\0", 24), true},
        {"badutf8", "<s>caf\xE9</s>", false},
        {"unknown", "<?xml version='1.0' encoding='x-unheard-of'?><s>caf\xE9</s>", false},
    };
    for (const Case& c : cases) {
        std::string path = dir / c.name;
        WriteFileText(path, c.bytes);
        CXmlDocument doc;
        ASSERT_EQ(doc.LoadFile(path), c.loads) << c.name;
        if (!c.loads)
            continue;
        std::string text;
        EXPECT_EQ(doc.GetNodeText("s", text), 0);
        EXPECT_EQ(text, "caf\xC3\xA9") << c.name;
    }
}

TEST(XmlEncoding, SaveWritesTheDeclaredEncodingOrUtf8) {
    ScratchFolder dir;
    struct Case {
        const char* declaration;
        const char* text;
        std::string expectedStart;
        std::string expectedTextBytes;
    } cases[] = {
        {"", "caf\xC3\xA9", "<?xml version=\"1.0\"?>", "caf\xC3\xA9"},
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "caf\xC3\xA9",
         "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "caf\xE9"},
        // The euro sign has no Latin-1 byte: the file becomes UTF-8 and says so.
        {"<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>", "\xE2\x82\xAC",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "\xE2\x82\xAC"},
        {"<?xml version=\"1.0\" encoding=\"windows-1252\"?>", "caf\xC3\xA9",
         "<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "caf\xC3\xA9"},
        // Only a pseudo-attribute named exactly "encoding" names the encoding.
        {"<?xml version=\"1.0\" xencoding=\"latin9\"?>", "caf\xC3\xA9",
         "<?xml version=\"1.0\" xencoding=\"latin9\"?>", "caf\xC3\xA9"},
        {"<?xml version=\"1.0\" encoding=\"utf-16\"?>", "\xC3\xA9",
         std::string("\xFF\xFE<\0?\0x\0m\0l\0", 12), std::string("\xE9\0", 2)},
    };
    for (const Case& c : cases) {
        CXmlDocument doc;
        ASSERT_TRUE(doc.LoadText(std::string(c.declaration) + "<s>" + c.text + "</s>"));
        std::string path = dir / "out.xml";
        ASSERT_TRUE(doc.Save(path)) << doc.LastSaveError();
        std::string bytes = ReadFileText(path);
        EXPECT_EQ(bytes.substr(0, c.expectedStart.size()), c.expectedStart) << c.declaration;
        EXPECT_NE(bytes.find(c.expectedTextBytes), std::string::npos) << c.declaration;
        CXmlDocument again;
        ASSERT_TRUE(again.LoadFile(path)) << c.declaration;
        std::string text;
        EXPECT_EQ(again.GetNodeText("s", text), 0);
        EXPECT_EQ(text, c.text) << c.declaration;
    }
}

// Nesting is limited when loading, and a deep document is saved without indentation, so that
// neither the tree nor the saved text grows with the square of the input.
TEST(XmlLoad, NestingLimitAndDeepDocumentsSavedWithoutIndentation) {
    auto nested = [](std::size_t depth) {
        std::string text;
        for (std::size_t i = 0; i < depth; ++i)
            text += "<a>";
        text += "x";
        for (std::size_t i = 0; i < depth; ++i)
            text += "</a>";
        return text;
    };
    CXmlDocument limit;
    EXPECT_TRUE(limit.LoadText(nested(kMaxXmlNestingDepth)));
    CXmlDocument deeper;
    EXPECT_FALSE(deeper.LoadText(nested(kMaxXmlNestingDepth + 1)));
    EXPECT_NE(deeper.LastLoadError().find("nest deeper"), std::string::npos);
    CXmlDocument huge;
    EXPECT_FALSE(huge.LoadText(nested(200000)));

    std::string saved;
    ASSERT_TRUE(limit.SaveToText(saved));
    EXPECT_LT(saved.size(), nested(kMaxXmlNestingDepth).size() + 100);
    CXmlDocument shallow;
    ASSERT_TRUE(shallow.LoadText("<a><b><c/></b></a>"));
    ASSERT_TRUE(shallow.SaveToText(saved));
    EXPECT_NE(saved.find("\n\t\t<c />"), std::string::npos) << saved; // indented as before
}

// A project text on its way to a published file: only the selected attributes change, and the
// rest (white space, comments, the declaration, other attributes of the same name) stays.
TEST(XmlHandOn, RewriteKeepsEverythingButTheSelectedValues) {
    const std::string text = "<?xml version=\"1.0\"?>\n<banner img=\"bg.png\">\n  <!-- kept -->\n"
                             "  <elements><image src=\"a.png\"/><text img=\"x\">  </text>"
                             "<image src=\"b.png\"/></elements>\n</banner>";
    std::vector<std::string> seen;
    auto out = RewriteAttributeValues(text, "/*/@img | /*/elements/image/@src",
                                      [&](const std::string& value) {
                                          seen.push_back(value);
                                          return "res/" + value;
                                      });
    ASSERT_TRUE(out);
    EXPECT_EQ(seen, (std::vector<std::string>{"bg.png", "a.png", "b.png"}));
    EXPECT_EQ(*out, "<?xml version=\"1.0\"?>\n<banner img=\"res/bg.png\">\n  <!-- kept -->\n"
                    "  <elements><image src=\"res/a.png\"/><text img=\"x\">  </text>"
                    "<image src=\"res/b.png\"/></elements>\n</banner>");
    EXPECT_EQ(SelectAttributeValues(*out, "//@img"),
              (std::vector<std::string>{"res/bg.png", "x"}));

    // Nothing changed: the very text comes back, not a re-serialized one.
    const std::string spaced = "<banner  img='a.png' />";
    EXPECT_EQ(RewriteAttributeValues(spaced, "//@img", [](const std::string& v) { return v; }),
              spaced);
}

TEST(XmlHandOn, RefusedTextsAndValues) {
    auto same = [](const std::string& v) { return v + "!"; };
    for (const std::string bad : {"<a x='1'>", "<a x='1' x='2'/>", "<a/><b/>", "text<a/>",
                                  "<a x='\xFF'/>", ""}) {
        EXPECT_FALSE(RewriteAttributeValues(bad, "//@x", same)) << bad;
        EXPECT_TRUE(SelectAttributeValues(bad, "//@x").empty()) << bad;
    }
    EXPECT_FALSE(RewriteAttributeValues("<a x='1'/>", "//@x[", same)); // not a query
    // A new value that is not UTF-8 (a lone surrogate's bytes) is never written.
    EXPECT_FALSE(RewriteAttributeValues("<a x='1'/>", "//@x",
                                        [](const std::string&) { return "\xED\xA0\x80"; }));
}
