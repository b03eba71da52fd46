// The banner model evaluated in the process (the installed script) and its display lists
// painted: the engine's calls, the plan and display list of real projects, the painter's pixels.
#include "platform/DisplayList.h"
#include "platform/Raster.h"
#include "platform/ScriptEngine.h"
#include "project/BannerModel.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace pennoria {
namespace {

using testing::ReadFileText;

BannerModel& Model() {
    static std::unique_ptr<BannerModel> model = [] {
        std::string error;
        auto loaded =
            BannerModel::Load(std::string(PENNORIA_PROGRAM_DIR) + "/" + kBannerModelScript, &error);
        if (!loaded)
            ADD_FAILURE() << error;
        return loaded;
    }();
    return *model;
}

TEST(ScriptEngine, CallsWithTextAndNumbersAndReportsFailures) {
    std::string error;
    auto engine = platform::CreateScriptEngine(
        "var M = { join: function (a, n) { return a + '|' + (n * 2) + '|' + a.length; },"
        "          fail: function () { throw new Error('broken'); } };",
        "test.js", &error);
    ASSERT_TRUE(engine) << error;
    // Text with a NUL and characters beyond ASCII arrives whole.
    const std::string text = std::string("a\0b", 3) + "\xC3\xA9\xE2\x82\xAC";
    auto answer = engine->Call("M", "join", {text, 21.0}, &error);
    ASSERT_TRUE(answer) << error;
    EXPECT_EQ(*answer, text + "|42|5");

    EXPECT_FALSE(engine->Call("M", "fail", {}, &error));
    EXPECT_NE(error.find("broken"), std::string::npos) << error;
    EXPECT_FALSE(engine->Call("M", "missing", {}, &error));
    EXPECT_FALSE(engine->Call("Nothing", "join", {}, &error));
    // The context still answers after a failure.
    EXPECT_TRUE(engine->Call("M", "join", {std::string("x"), 1.0}));

    EXPECT_FALSE(platform::CreateScriptEngine("var = ;", "bad.js", &error));
    EXPECT_NE(error.find("bad.js"), std::string::npos) << error;
}

const char* const kProject = R"(<?xml version="1.0"?>
<template version="2" demoWidth="200" demoHeight="100" bgColor="#0000FF" length="1000">
  <elements>
    <shape id="r" kind="rect" x="10" y="10" width="40" height="30" fill="#FF0000"/>
    <shape id="e" kind="ellipse" x="100" y="10" width="40" height="40" fill="#00FF00" opacity="0.5"/>
    <image id="p" x="150" y="60" width="40" height="30" src="pics\pic.png" fit="stretch"/>
    <text id="t" x="10" y="60" width="120" height="30" size="20" color="#FFFFFF"><label>Hello</label></text>
    <shape id="late" kind="rect" x="60" y="10" width="20" height="20" fill="#FFFFFF">
      <enter type="fade" delay="500" duration="400" easing="linear"/>
    </shape>
  </elements>
  <sizes><size width="200" height="100"/><size width="400" height="200"/></sizes>
</template>)";

struct Rgb {
    int r, g, b;
};
Rgb At(const platform::ArgbFrame& frame, int x, int y) {
    const std::uint32_t p = frame.pixels.at(static_cast<std::size_t>(y) * frame.width + x);
    return {static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255),
            static_cast<int>(p & 255)};
}
bool Near(Rgb a, Rgb b, int tolerance = 3) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

// A 4 x 4 yellow picture written as PNG by the painter itself.
std::string WriteYellowPicture(const testing::ScratchFolder& scratch) {
    platform::DisplayList list;
    list.width = list.height = 4;
    list.background = 0xFFFF00;
    platform::DisplayListPainter painter;
    auto png = painter.PaintPng(list);
    EXPECT_TRUE(png);
    const std::string path = scratch / "pic.png";
    testing::WriteFileText(path, png.value_or(""));
    return path;
}

TEST(BannerModelDisplay, PaintsEveryKindAtEverySizeAndMoment) {
    testing::ScratchFolder scratch;
    PictureFiles pictures = {{"pics\\pic.png", {WriteYellowPicture(scratch), 4, 4}}};
    std::string error;
    platform::DisplayListPainter painter;

    auto last = Model().Display(kProject, 0, 0, -1, pictures, &error);
    ASSERT_TRUE(last) << error;
    EXPECT_EQ(last->width, 200);
    EXPECT_EQ(last->height, 100);
    platform::ArgbFrame frame;
    ASSERT_TRUE(painter.Paint(*last, frame, &error)) << error;
    ASSERT_EQ(frame.pixels.size(), 200u * 100u);
    EXPECT_TRUE(Near(At(frame, 3, 3), {0, 0, 255}));         // background
    EXPECT_TRUE(Near(At(frame, 30, 25), {255, 0, 0}));       // rectangle
    EXPECT_TRUE(Near(At(frame, 120, 30), {0, 128, 127}, 4)); // half-transparent ellipse
    EXPECT_TRUE(Near(At(frame, 101, 11), {0, 0, 255}));      // outside the ellipse's curve
    EXPECT_TRUE(Near(At(frame, 170, 75), {255, 255, 0}));    // the picture, stretched
    EXPECT_TRUE(Near(At(frame, 70, 20), {255, 255, 255}));   // faded in by the end
    int lettering = 0;
    for (int y = 60; y < 90; ++y)
        for (int x = 10; x < 130; ++x)
            lettering += At(frame, x, y).r > 128;
    EXPECT_GT(lettering, 40) << "the text is drawn";

    // At the start the late element is not there yet; half-way through its fade it is half.
    auto first = Model().Display(kProject, 200, 100, 0, pictures, &error);
    ASSERT_TRUE(first && painter.Paint(*first, frame, &error)) << error;
    EXPECT_TRUE(Near(At(frame, 70, 20), {0, 0, 255}));
    auto middle = Model().Display(kProject, 200, 100, 700, pictures, &error);
    ASSERT_TRUE(middle && painter.Paint(*middle, frame, &error)) << error;
    EXPECT_TRUE(Near(At(frame, 70, 20), {128, 128, 255}, 4));

    // The second size scales the places; a picture the host could not find is left out.
    auto large = Model().Display(kProject, 400, 200, -1, {}, &error);
    ASSERT_TRUE(large && painter.Paint(*large, frame, &error)) << error;
    EXPECT_EQ(frame.width, 400);
    EXPECT_TRUE(Near(At(frame, 60, 50), {255, 0, 0}));
    EXPECT_TRUE(Near(At(frame, 340, 150), {0, 0, 255}));

    EXPECT_FALSE(Model().Display(kProject, 123, 45, -1, {}, &error));
    EXPECT_NE(error.find("123"), std::string::npos) << error;

    auto png = painter.PaintPng(*last, &error);
    ASSERT_TRUE(png) << error;
    EXPECT_EQ(png->substr(1, 3), "PNG");
}

TEST(BannerModelDisplay, AnswersFromAWorkerThread) {
    std::optional<platform::DisplayList> list;
    std::thread worker([&list] { list = Model().Display(kProject, 400, 200, 250, {}); });
    worker.join();
    ASSERT_TRUE(list);
    EXPECT_EQ(list->width, 400);
}

TEST(BannerModelPlan, ReadsSizesPicturesFacesAndBoxes) {
    std::string error;
    auto plan = Model().Plan(kProject, &error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(plan->version, 2);
    ASSERT_EQ(plan->sizes.size(), 2u);
    EXPECT_EQ(plan->sizes[1].width, 400);
    EXPECT_EQ(plan->pictures, std::vector<std::string>{"pics\\pic.png"});
    ASSERT_EQ(plan->faces.size(), 1u);
    EXPECT_EQ(plan->faces[0].family, "Liberation Sans");
    EXPECT_EQ(plan->faces[0].text, "Hello");
    ASSERT_EQ(plan->elements.size(), 5u);
    ASSERT_EQ(plan->elements[0].boxes.size(), 2u);
    EXPECT_DOUBLE_EQ(plan->elements[0].boxes[1].x, 20);
    EXPECT_DOUBLE_EQ(plan->elements[0].boxes[1].width, 80);
    EXPECT_EQ(plan->finalTime, 1000);
    EXPECT_TRUE(plan->overLimits.empty());
}

// One past the element limit and the text limit: the plan names both, as publishing says them.
TEST(BannerModelPlan, NamesEveryLimitTheProjectGoesPast) {
    std::string text = "<template version=\"2\" demoWidth=\"300\" demoHeight=\"250\"><elements>"
                       "<text id=\"long\"><label>" +
                       std::string(5001, 'w') + "</label></text>";
    for (int i = 0; i < 1000; ++i)
        text += "<shape id=\"s" + std::to_string(i) + "\"/>";
    text += "</elements></template>";
    std::string error;
    auto plan = Model().Plan(text, &error);
    ASSERT_TRUE(plan) << error;
    EXPECT_EQ(plan->elements.size(), 1000u);
    EXPECT_EQ(DescribeLimits(plan->overLimits),
              "1001 elements (at most 1000), 5001 characters in a text (at most 5000)");
}

TEST(BannerModelPublishText, WritesOneSizeWithPublishedPictures) {
    std::string error;
    auto text = Model().PublishText(kProject, 400, 200, {{"pics\\pic.png", "res/pic.png"}},
                                    "res/template.swf", &error);
    ASSERT_TRUE(text) << error;
    auto plan = Model().Plan(*text, &error);
    ASSERT_TRUE(plan) << error;
    ASSERT_EQ(plan->sizes.size(), 1u);
    EXPECT_EQ(plan->sizes[0].width, 400);
    EXPECT_EQ(plan->pictures, std::vector<std::string>{"res/pic.png"});
    EXPECT_DOUBLE_EQ(plan->elements[0].boxes[0].x, 20);
    EXPECT_NE(text->find("res/template.swf"), std::string::npos);
    // A picture without a published name is not asked for.
    auto without = Model().PublishText(kProject, 200, 100, {}, "res/template.swf", &error);
    ASSERT_TRUE(without) << error;
    EXPECT_EQ(without->find("pic.png"), std::string::npos) << *without;
}

} // namespace
} // namespace pennoria
