// The frame's paint plan from a skin description, and the composed frame's pixels.
#include "host/FramePaint.h"
#include "host/FramePainter.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace pennoria::host;
using pennoria::testing::ScratchFolder;

namespace {

const char* kFullSkin = R"(<?xml version="1.0"?>
<skins>
  <frame>
    <LeftTop>lt.png</LeftTop>
    <Top>
      top.png
    </Top>
    <RightTop>rt.png</RightTop>
    <Left>l.png</Left>
    <Right>r.png</Right>
    <LeftBottom>lb.png</LeftBottom>
    <RightBottom>rb.png</RightBottom>
    <Bottom>b.png</Bottom>
  </frame>
  <button><Close>c.png</Close><Max>mx.png</Max><Restore>rs.png</Restore><Min>mn.png</Min></button>
</skins>)";

// The image steps of a plan, keyed by file name below the skin folder.
std::map<std::string, PaintStep> ImagesByName(const std::vector<PaintStep>& plan,
                                              const std::string& folder) {
    std::map<std::string, PaintStep> out;
    for (const PaintStep& s : plan)
        if (s.kind == PaintStep::Kind::Image)
            out[s.imagePath.substr(folder.size())] = s;
    return out;
}

} // namespace

TEST(FramePaintPlan, GeometryOfAnEightHundredBySixHundredFrame) {
    SkinDescription skin;
    ASSERT_TRUE(skin.LoadText(kFullSkin));
    const std::string folder = "/prog/skins/frame/";
    auto plan = BuildFramePaintPlan(800, 600, false, skin, "/prog/", "Title");
    ASSERT_FALSE(plan.empty());
    EXPECT_EQ(plan.front().kind, PaintStep::Kind::Fill);
    EXPECT_EQ(plan.front().argb, 0xFFD3D6DDu);
    auto images = ImagesByName(plan, folder);
    EXPECT_EQ(images["top.png"].dest, (Rect{4, 0, 792, 24}));
    EXPECT_EQ(images["top.png"].part, ImagePart::LeftColumn);
    EXPECT_EQ(images["l.png"].dest, (Rect{0, 24, 4, 572}));
    EXPECT_EQ(images["l.png"].part, ImagePart::TopRow);
    EXPECT_EQ(images["r.png"].dest, (Rect{796, 24, 4, 572}));
    EXPECT_EQ(images["b.png"].dest, (Rect{4, 596, 792, 4}));
    EXPECT_EQ(images["rb.png"].dest, (Rect{796, 596, 4, 4}));
    EXPECT_EQ(images["lb.png"].dest, (Rect{0, 596, 4, 4}));
    EXPECT_EQ(images["rt.png"].dest, (Rect{796, 0, 4, 24}));
    EXPECT_TRUE(images["lt.png"].naturalSize);
    EXPECT_EQ(images["logo.ico"].dest.x, 10);
    EXPECT_EQ(images["logo.ico"].dest.y, 4);
    bool sawTitle = false;
    for (const PaintStep& s : plan)
        if (s.kind == PaintStep::Kind::Text) {
            sawTitle = true;
            EXPECT_EQ(s.text, "Title");
            EXPECT_EQ(s.dest.x, 30);
            EXPECT_EQ(s.dest.y, 4);
        }
    EXPECT_TRUE(sawTitle);
    // Order: the top band is drawn over the top-left corner, the bottom band last.
    EXPECT_EQ(plan[1].imagePath, folder + "lt.png");
    EXPECT_EQ(plan[2].imagePath, folder + "top.png");
    EXPECT_EQ(plan.back().imagePath, folder + "b.png");
}

TEST(FramePaintPlan, ClientCaptionNarrowsOnlyTheTopBand) {
    SkinDescription skin;
    ASSERT_TRUE(skin.LoadText(kFullSkin));
    auto plan = BuildFramePaintPlan(800, 600, true, skin, "/p/", "Title");
    auto images = ImagesByName(plan, "/p/skins/frame/");
    EXPECT_EQ(images["top.png"].dest, (Rect{4, 0, 792, 4}));
    EXPECT_EQ(images["rt.png"].dest, (Rect{796, 0, 4, 24}));
    EXPECT_EQ(images["l.png"].dest.y, 24);
    EXPECT_EQ(images.count("logo.ico"), 0u);
    for (const PaintStep& s : plan)
        EXPECT_NE(s.kind, PaintStep::Kind::Text);
}

TEST(FramePaintPlan, MissingElementReusesThePreviousFileName) {
    SkinDescription skin;
    ASSERT_TRUE(skin.LoadText("<skins><frame><LeftTop>lt.png</LeftTop><RightTop>rt.png"
                              "</RightTop></frame><button><Max>mx.png</Max></button></skins>"));
    auto plan = BuildFramePaintPlan(800, 600, true, skin, "/p/", "");
    ASSERT_GE(plan.size(), 3u);
    EXPECT_EQ(plan[2].imagePath, "/p/skins/frame/lt.png"); // the top band
    EXPECT_EQ(plan[2].dest, (Rect{4, 0, 792, 4}));
    EXPECT_EQ(plan.back().imagePath, "/p/skins/frame/rt.png"); // the bottom band
    // The first button has no name yet, so it has no image; the restore button reuses Max's.
    CaptionButtonImages buttons = CaptionButtonImagePaths(skin, "/p/");
    EXPECT_EQ(buttons.close, "");
    EXPECT_EQ(buttons.maximize, "/p/skins/frame/mx.png");
    EXPECT_EQ(buttons.restore, "/p/skins/frame/mx.png");
    EXPECT_EQ(buttons.minimize, "/p/skins/frame/mx.png");
}

TEST(FramePaintPlan, BrokenDescriptionsDoNotLoad) {
    SkinDescription skin;
    EXPECT_FALSE(skin.LoadText("<skins><frame>"));
    EXPECT_FALSE(skin.NodeText("//skins/frame/Top"));
    EXPECT_FALSE(skin.LoadFile("/nonexistent/skins.xml"));
    ASSERT_TRUE(skin.LoadText("<skins/>"));
    EXPECT_FALSE(skin.NodeText("//skins/frame/Top"));
    EXPECT_FALSE(skin.NodeText("//[broken query"));
}

namespace {

// Writes a solid image of w x h; column 0 (or row 0) may differ from the rest.
void WriteImage(const std::string& path, int w, int h, std::uint32_t rgb, std::uint32_t restRgb,
                bool firstColumnOnly) {
    cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(s);
    auto set = [&](std::uint32_t c) {
        cairo_set_source_rgb(cr, ((c >> 16) & 255) / 255.0, ((c >> 8) & 255) / 255.0,
                             (c & 255) / 255.0);
    };
    set(restRgb);
    cairo_paint(cr);
    set(rgb);
    if (firstColumnOnly)
        cairo_rectangle(cr, 0, 0, 1, h);
    else
        cairo_rectangle(cr, 0, 0, w, 1);
    cairo_fill(cr);
    cairo_destroy(cr);
    cairo_surface_write_to_png(s, path.c_str());
    cairo_surface_destroy(s);
}

std::uint32_t PixelAt(cairo_surface_t* s, int x, int y) {
    cairo_surface_flush(s);
    const unsigned char* data = cairo_image_surface_get_data(s);
    const int stride = cairo_image_surface_get_stride(s);
    return reinterpret_cast<const std::uint32_t*>(data + y * stride)[x] & 0xFFFFFF;
}

} // namespace

TEST(FrameComposition, PixelsOfTheBandsAndTheBackground) {
    ScratchFolder prog;
    const std::string skins = prog.Path() + "/skins/frame/";
    ASSERT_EQ(std::system(("mkdir -p '" + skins + "'").c_str()), 0);
    WriteImage(skins + "lt.png", 4, 24, 0xFF0000, 0xFF0000, false);
    WriteImage(skins + "top.png", 2, 24, 0x00FF00, 0x000000, true); // only column 0 counts
    WriteImage(skins + "rt.png", 4, 24, 0x0000FF, 0x0000FF, false);
    WriteImage(skins + "l.png", 4, 2, 0xFFFF00, 0x000000, false); // only row 0 counts
    WriteImage(skins + "r.png", 4, 2, 0xFF00FF, 0x000000, false);
    WriteImage(skins + "lb.png", 4, 4, 0x00FFFF, 0x00FFFF, false);
    WriteImage(skins + "rb.png", 4, 4, 0x808080, 0x808080, false);
    WriteImage(skins + "b.png", 2, 4, 0x800000, 0x000000, true);
    std::string xml = kFullSkin;
    { std::ofstream(skins + "skins.xml") << xml; }
    cairo_surface_t* frame = ComposeFrame(800, 600, true, prog.Path() + "/", "");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(cairo_image_surface_get_format(frame), CAIRO_FORMAT_ARGB32);
    EXPECT_EQ(PixelAt(frame, 0, 10), 0xFF0000u); // top-left corner below the 4-pixel band
    EXPECT_EQ(PixelAt(frame, 3, 23), 0xFF0000u);
    EXPECT_EQ(PixelAt(frame, 4, 0), 0x00FF00u); // top band, squeezed to 4 rows
    EXPECT_EQ(PixelAt(frame, 795, 3), 0x00FF00u);
    EXPECT_EQ(PixelAt(frame, 400, 4), 0xD3D6DDu); // background under the band
    EXPECT_EQ(PixelAt(frame, 796, 0), 0x0000FFu); // top-right corner keeps 4 x 24
    EXPECT_EQ(PixelAt(frame, 799, 23), 0x0000FFu);
    EXPECT_EQ(PixelAt(frame, 0, 24), 0xFFFF00u); // left band from y = 24
    EXPECT_EQ(PixelAt(frame, 3, 595), 0xFFFF00u);
    EXPECT_EQ(PixelAt(frame, 796, 300), 0xFF00FFu);
    EXPECT_EQ(PixelAt(frame, 0, 596), 0x00FFFFu);
    EXPECT_EQ(PixelAt(frame, 799, 599), 0x808080u);
    EXPECT_EQ(PixelAt(frame, 4, 599), 0x800000u);
    EXPECT_EQ(PixelAt(frame, 795, 596), 0x800000u);
    EXPECT_EQ(PixelAt(frame, 400, 300), 0xD3D6DDu);
    cairo_surface_destroy(frame);

    // A missing image leaves its piece to the background; a missing description draws nothing.
    ASSERT_EQ(std::remove((skins + "r.png").c_str()), 0);
    frame = ComposeFrame(800, 600, true, prog.Path() + "/", "");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(PixelAt(frame, 796, 300), 0xD3D6DDu);
    cairo_surface_destroy(frame);
    ASSERT_EQ(std::remove((skins + "skins.xml").c_str()), 0);
    EXPECT_EQ(ComposeFrame(800, 600, true, prog.Path() + "/", ""), nullptr);
}
