// Elements copied through the desktop clipboard: the fragment goes there with a picture of its
// elements for other programs, comes back whole for a paste (its pictures granted to the movie),
// and anything that is no fragment the model reads whole is neither put there nor handed back.
#include "platform/Clipboard.h"
#include "tests/bridge/BridgeTestSupport.h"

#include <gtest/gtest.h>

using namespace pennoria;
using namespace pennoria::testing;

namespace {

std::string Fragment(const std::string& elements) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<template version=\"2\" demoWidth=\"300\" demoHeight=\"250\" bgColor=\"#FFFFFF\">"
           "<elements>" +
           elements + "</elements><sizes><size width=\"300\" height=\"250\"/></sizes></template>";
}

// A reply as the player hands it to the movie.
std::optional<std::string> Reply(const std::string& text) {
    return "<string>" + EscapeXmlText(text) + "</string>";
}

// The width and height a PNG's header gives; (0, 0) for anything else.
std::pair<int, int> PngSize(const std::string& png) {
    if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return {0, 0};
    auto word = [&](std::size_t at) {
        int value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value * 256 + static_cast<unsigned char>(png[at + i]);
        return value;
    };
    return {word(16), word(20)};
}

} // namespace

TEST(ElementClipboard, CopiedElementsGoOutAsFragmentAndPictureAndComeBackWhole) {
    HostTestBed bed;
    bed.Start();
    platform::MemoryClipboard clipboard;
    std::vector<std::string> pasted;
    bed.host->ShareClipboard(clipboard,
                             [&pasted](const std::string& text) { pasted.push_back(text); });

    // The editor asks once whether a clipboard is shared; nothing is put there.
    EXPECT_EQ(bed.player.Command("CopyElementsVC"), Reply("ok"));
    EXPECT_EQ(bed.player.Command("PasteElementsVC"), Reply("false"));

    // Two elements: the picture is cut to the box around both, 20..140 by 30..110.
    const std::string fragment =
        Fragment("<shape id=\"s1\" kind=\"rect\" x=\"20\" y=\"30\" width=\"60\" height=\"40\" "
                 "fill=\"#FF0000\"/>"
                 "<text id=\"t&amp;1\" x=\"100\" y=\"70\" width=\"40\" height=\"40\" size=\"12\" "
                 "color=\"#000000\"><label>A &lt;b&gt; &amp; \"c\"</label></text>");
    EXPECT_EQ(bed.player.Command("CopyElementsVC", {fragment}), Reply("ok"));
    EXPECT_EQ(clipboard.Content().fragment, fragment);
    EXPECT_EQ(PngSize(clipboard.Content().png), std::make_pair(120, 80));
    EXPECT_EQ(bed.player.Command("PasteElementsVC"), Reply(fragment));
    EXPECT_EQ(pasted, std::vector<std::string>{fragment});

    // Refused, the clipboard keeping what it had: no project, a project without elements, past
    // the reader's limits, past the size a fragment may have.
    std::string manyElements;
    for (int i = 0; i < 1001; ++i)
        manyElements += "<shape id=\"s" + std::to_string(i) + "\"/>";
    const std::string padding(kMaxFragmentBytes, ' ');
    for (const std::string& refused :
         {std::string("<html><body>A page</body></html>"), Fragment(""), Fragment(manyElements),
          Fragment("<shape id=\"s1\"/>" + padding)}) {
        EXPECT_EQ(bed.player.Command("CopyElementsVC", {refused}), Reply("false"))
            << refused.substr(0, 80);
        EXPECT_EQ(clipboard.Content().fragment, fragment);
    }

    // Something else another program put there is not handed to the editor.
    clipboard.Put({"<html><body>A page</body></html>", ""});
    EXPECT_EQ(bed.player.Command("PasteElementsVC"), Reply("false"));
    clipboard.Put({Fragment("<shape id=\"s1\"/>" + padding), ""});
    EXPECT_EQ(bed.player.Command("PasteElementsVC"), Reply("false"));
    EXPECT_EQ(pasted.size(), 1u);
}

TEST(ElementClipboard, WithoutASharedClipboardTheCommandsAreUnknown) {
    HostTestBed bed;
    bed.Start();
    EXPECT_EQ(bed.player.Command("CopyElementsVC"), std::nullopt);
    EXPECT_EQ(bed.player.Command("PasteElementsVC"), std::nullopt);
}
