// Frame decisions: edges, clicks, the caption strip, the window region, minimum size, buttons.
#include "host/FrameLogic.h"
#include "host/PngButtonLogic.h"

#include <gtest/gtest.h>

using namespace pennoria::host;

TEST(FrameEdges, ZonesAreSixPixelsLeftAndTopAndFiveRightAndBottom) {
    const int W = 800, H = 600;
    struct Case {
        int x, y;
        EdgeCode expected;
    } cases[] = {
        {5, 5, EdgeCode::TopLeft},        {6, 5, EdgeCode::Top},
        {5, 6, EdgeCode::Left},           {W - 5, H - 5, EdgeCode::BottomRight},
        {W - 6, H - 6, EdgeCode::None},   {W - 5, 0, EdgeCode::TopRight},
        {0, H - 5, EdgeCode::BottomLeft}, {W - 1, 300, EdgeCode::Right},
        {400, H - 1, EdgeCode::Bottom},   {400, 300, EdgeCode::None},
        {W - 5, 5, EdgeCode::TopRight},   {5, H - 5, EdgeCode::BottomLeft},
    };
    for (const Case& c : cases)
        EXPECT_EQ(DetectEdge(c.x, c.y, W, H), c.expected) << c.x << "," << c.y;
}

TEST(FrameEdges, CursorsAndSizeCommandsFollowTheEdge) {
    EXPECT_EQ(CursorForEdge(EdgeCode::Left), FrameCursor::SizeWestEast);
    EXPECT_EQ(CursorForEdge(EdgeCode::Bottom), FrameCursor::SizeNorthSouth);
    EXPECT_EQ(CursorForEdge(EdgeCode::BottomRight), FrameCursor::SizeNorthwestSoutheast);
    EXPECT_EQ(CursorForEdge(EdgeCode::BottomLeft), FrameCursor::SizeNortheastSouthwest);
    EXPECT_EQ(CursorForEdge(EdgeCode::TopRight), FrameCursor::SizeNortheastSouthwest);
    EXPECT_EQ(CursorForEdge(EdgeCode::None), FrameCursor::Arrow);
}

TEST(FrameClicks, CaptionAreaMovesAndEdgesResize) {
    EXPECT_EQ(DecideFrameClick(EdgeCode::None, 300, 23, 800), FrameClick::MoveWindow);
    EXPECT_EQ(DecideFrameClick(EdgeCode::None, 300, 24, 800), FrameClick::None);
    EXPECT_EQ(DecideFrameClick(EdgeCode::Top, 300, 2, 800), FrameClick::ResizeFromEdge);
    EXPECT_EQ(DecideFrameClick(EdgeCode::Right, 797, 300, 800), FrameClick::ResizeFromEdge);
}

TEST(FrameClicks, ClientStripIsBetweenTheBandAndTheCaptionAndLeavesTheButtons) {
    const int W = 800;
    EXPECT_FALSE(InClientCaptionStrip(100, 4, W));
    EXPECT_TRUE(InClientCaptionStrip(100, 5, W));
    EXPECT_TRUE(InClientCaptionStrip(100, 23, W));
    EXPECT_FALSE(InClientCaptionStrip(100, 24, W));
    EXPECT_TRUE(InClientCaptionStrip(W - 74, 10, W));
    EXPECT_FALSE(InClientCaptionStrip(W - 73, 10, W));
    // A point in a child's coordinates is taken as it is, negative x included.
    EXPECT_TRUE(InClientCaptionStrip(-3, 10, W));
}

TEST(FrameClicks, DoubleClickInCaptionTogglesMaximized) {
    EXPECT_EQ(DecideFrameDoubleClick(true, false, 100, 10, 800), FrameDoubleClick::Maximize);
    EXPECT_EQ(DecideFrameDoubleClick(true, true, 100, 10, 800), FrameDoubleClick::Restore);
    EXPECT_EQ(DecideFrameDoubleClick(true, false, 100, 24, 800), FrameDoubleClick::None);
    EXPECT_EQ(DecideFrameDoubleClick(false, false, 100, 10, 800), FrameDoubleClick::None);
}

TEST(WindowRegion, FivePixelsAreCutAtEachCorner) {
    const int W = 800, H = 600;
    struct Pixel {
        int x, y;
    };
    // The top-left pattern, mirrored at the other corners.
    const Pixel outside[] = {{0, 0}, {1, 0}, {2, 0}, {0, 1}, {0, 2}};
    const Pixel inside[] = {{1, 1}, {3, 0}, {0, 3}, {2, 1}, {1, 2}};
    for (int mx = 0; mx < 2; ++mx)
        for (int my = 0; my < 2; ++my) {
            auto at = [&](Pixel p) {
                return Pixel{mx ? W - 1 - p.x : p.x, my ? H - 1 - p.y : p.y};
            };
            for (Pixel p : outside) {
                Pixel q = at(p);
                EXPECT_FALSE(WindowRegionContains(W, H, q.x, q.y)) << q.x << "," << q.y;
            }
            for (Pixel p : inside) {
                Pixel q = at(p);
                EXPECT_TRUE(WindowRegionContains(W, H, q.x, q.y)) << q.x << "," << q.y;
            }
        }
    EXPECT_TRUE(WindowRegionContains(W, H, 400, 300));
    EXPECT_FALSE(WindowRegionContains(W, H, W, 300));
}

TEST(MinimumSize, DraggedSidesStopAtTheMinimumAndTheOthersStay) {
    Bounds b{300, 100, 900, 700}; // dragged left edge far to the right
    AdjustSizingBounds(EdgeCode::Left, b, 640, 480);
    EXPECT_EQ(b, (Bounds{260, 100, 900, 700}));
    Bounds r{100, 100, 300, 300};
    AdjustSizingBounds(EdgeCode::BottomRight, r, 640, 480);
    EXPECT_EQ(r, (Bounds{100, 100, 740, 580}));
    Bounds t{100, 500, 900, 700};
    AdjustSizingBounds(EdgeCode::TopLeft, t, 640, 480);
    EXPECT_EQ(t, (Bounds{100, 220, 900, 700}));
    Bounds big{0, 0, 1000, 1000}; // already large enough: untouched
    AdjustSizingBounds(EdgeCode::TopRight, big, 640, 480);
    EXPECT_EQ(big, (Bounds{0, 0, 1000, 1000}));
    Bounds none{0, 0, 10, 10};
    AdjustSizingBounds(EdgeCode::None, none, 640, 480);
    EXPECT_EQ(none, (Bounds{0, 0, 10, 10}));
}

TEST(MinimumSize, UndraggedSidesStayWhereTheyWere) {
    const Bounds start{100, 100, 1300, 800};
    // The desktop kept the minimum width by moving the right side along with the left one.
    EXPECT_EQ(KeepUndraggedSides(EdgeCode::Left, start, {800, 100, 1466, 800}, 666, 480),
              (Bounds{634, 100, 1300, 800}));
    // A size below the minimum is raised, from the dragged side.
    EXPECT_EQ(KeepUndraggedSides(EdgeCode::TopLeft, start, {900, 500, 1300, 800}, 666, 480),
              (Bounds{634, 320, 1300, 800}));
    EXPECT_EQ(KeepUndraggedSides(EdgeCode::BottomRight, start, {120, 130, 520, 330}, 666, 480),
              (Bounds{100, 100, 766, 580}));
    // A correct result stays as it is.
    EXPECT_EQ(KeepUndraggedSides(EdgeCode::Right, start, {100, 100, 1500, 800}, 666, 480),
              (Bounds{100, 100, 1500, 800}));
    EXPECT_EQ(KeepUndraggedSides(EdgeCode::Bottom, start, {100, 100, 1300, 900}, 666, 480),
              (Bounds{100, 100, 1300, 900}));
}

TEST(MinimumSize, WidthFollowsTheScreensAspect) {
    EXPECT_EQ(MinTrackWidthForScreen(1920, 1080), 1066);
    EXPECT_EQ(MinTrackWidthForScreen(1280, 1024), 750);
    EXPECT_EQ(MinTrackWidthForScreen(0, 0), 800);
}

TEST(CaptionButtons, PlacesFromTheRight) {
    CaptionButtonWidths widths{28, 28, 28};
    auto all = LayoutCaptionButtons(800, true, {true, true, true, true}, widths);
    EXPECT_EQ(all.close, 762);
    EXPECT_EQ(all.maximize, 734);
    EXPECT_EQ(all.minimize, 706);
    // One of four missing: nothing moves.
    auto missing = LayoutCaptionButtons(800, true, {true, true, false, true}, widths);
    EXPECT_FALSE(missing.close || missing.maximize || missing.minimize);
    auto noMax = LayoutCaptionButtons(800, false, {true, false, false, true}, widths);
    EXPECT_EQ(noMax.close, 762);
    EXPECT_EQ(noMax.minimize, 734);
    EXPECT_FALSE(noMax.maximize);
    EXPECT_EQ(CaptionCommandForButton(1001), CaptionCommand::Close);
    EXPECT_EQ(CaptionCommandForButton(1004), CaptionCommand::Minimize);
    EXPECT_EQ(CaptionCommandForButton(1000), CaptionCommand::None);
}

TEST(PlayerLayout, InsetByTheBands) {
    EXPECT_EQ(PlayerLayout(1066, 600, true), (Rect{4, 4, 1058, 592}));
    EXPECT_EQ(PlayerLayout(1066, 600, false), (Rect{4, 24, 1058, 572}));
    EXPECT_EQ(PlayerLayout(5, 5, true), (Rect{4, 4, 0, 0}));
}

TEST(PngButtonSlices, FourSlicesRowsPastThemNeverShown) {
    EXPECT_EQ(SliceHeightFor(120), 30);
    EXPECT_EQ(SliceHeightFor(121), 30);
    EXPECT_EQ(SliceHeightFor(0), 0);
    EXPECT_EQ(SliceSource(ButtonSlice::Normal, 40, 120), (Rect{0, 30, 40, 30}));
    EXPECT_EQ(SliceSource(ButtonSlice::Highlighted, 40, 120), (Rect{0, 0, 40, 30}));
    EXPECT_EQ(SliceSource(ButtonSlice::Pressed, 40, 121), (Rect{0, 60, 40, 30}));
}

TEST(PngButtonSlices, PressWinsAndOneFlagServesPointerAndFocus) {
    PngButtonState s;
    EXPECT_EQ(s.Slice(), ButtonSlice::Normal);
    s.FocusIn();
    EXPECT_EQ(s.Slice(), ButtonSlice::Highlighted);
    // A focused button loses its highlight when the pointer passes over it and leaves.
    s.PointerEntered();
    s.PointerLeft();
    EXPECT_EQ(s.Slice(), ButtonSlice::Normal);
    s.PointerEntered();
    s.ButtonDown();
    EXPECT_EQ(s.Slice(), ButtonSlice::Pressed);
    s.PointerMoved(false); // dragged off: the pressed look goes
    EXPECT_EQ(s.Slice(), ButtonSlice::Highlighted);
    // Released outside: still one click.
    EXPECT_TRUE(s.ButtonUp());
    EXPECT_FALSE(s.ButtonUp());
    s.FocusOut();
    EXPECT_FALSE(s.Highlighted());
}
