// The main window's placement text, start placement, and window-action notifications.
#include "host/HostWindowLogic.h"

#include <gtest/gtest.h>

#include <string>

using namespace pennoria::host;

namespace {
const MonitorArea kScreen{0, 0, 1920, 1080};
const std::vector<MonitorArea> kMonitors{kScreen};
} // namespace

TEST(PlacementText, RoundTripsAndKeepsTheFormat) {
    WindowPlacement p;
    p.flags = 2;
    p.showCommand = 3;
    p.normal = {10, 20, 810, 620};
    const std::string text = FormatWindowPlacement(p);
    EXPECT_EQ(text, "2,3,-1,-1,-1,-1,10,20,810,620");
    EXPECT_EQ(ParseWindowPlacement(text), p);
}

TEST(PlacementText, UnreadableTextsGiveNothing) {
    const char* bad[] = {
        "",
        "0,1,-1,-1,-1,-1,10,20,810",             // nine numbers
        "0;1;-1;-1;-1;-1;10;20;810;620",         // wrong separator
        "0,1,-1,-1,-1,-1,10,20,810,x",           // not a number
        "0 ,1,-1,-1,-1,-1,10,20,810,620",        // space before a separator
        "0,1,-1,-1,-1,-1,10,20,810,99999999999", // past 32 bits
    };
    for (const char* text : bad)
        EXPECT_FALSE(ParseWindowPlacement(text)) << text;
    // Space before a number and text after the tenth are accepted.
    EXPECT_TRUE(ParseWindowPlacement("0, 1,-1,-1,-1,-1,10,20,810,620 tail"));
}

TEST(StartPlacement, StoredRectangleIsUsedWhateverTheShowCommand) {
    for (const char* text : {"0,1,-1,-1,-1,-1,10,20,810,620", "0,3,-1,-1,-1,-1,10,20,810,620"}) {
        WindowPlacement p = ChooseStartPlacement(text, 1066, 600, kScreen, kMonitors);
        EXPECT_EQ(p.normal, (Bounds{10, 20, 810, 620})) << text;
    }
}

TEST(StartPlacement, DefaultIsTheMinimumSizeCentred) {
    WindowPlacement p =
        ChooseStartPlacement("0,1,-1,-1,-1,-1,10,20,810", 1066, 600, kScreen, kMonitors);
    EXPECT_EQ(p.normal, (Bounds{427, 240, 1493, 840}));
    EXPECT_EQ(p.showCommand, kShowNormal);
    EXPECT_EQ(p.minX, -1);
    // A screen smaller than the window: the corner stays on the screen.
    WindowPlacement small = DefaultWindowPlacement(1066, 600, 800, 600);
    EXPECT_EQ(small.normal, (Bounds{0, 0, 1066, 600}));
}

TEST(StartPlacement, OffEveryMonitorOrEmptyFallsBackToTheDefault) {
    const Bounds centred{427, 240, 1493, 840};
    const char* off[] = {
        "0,1,-1,-1,-1,-1,3000,20,3800,620",             // right of the only monitor
        "0,1,-1,-1,-1,-1,10,-700,810,-100",             // above it
        "0,1,-1,-1,-1,-1,10,1080,810,1680",             // just below it
        "0,1,-1,-1,-1,-1,810,20,10,620",                // no width
        "0,1,-1,-1,-1,-1,-2147483648,0,2147483647,600", // absurd width
    };
    for (const char* text : off)
        EXPECT_EQ(ChooseStartPlacement(text, 1066, 600, kScreen, kMonitors).normal, centred)
            << text;
    // Partly on a second monitor to the right: kept.
    std::vector<MonitorArea> two{kScreen, {1920, 0, 1280, 1024}};
    EXPECT_EQ(
        ChooseStartPlacement("0,1,-1,-1,-1,-1,3000,20,3800,620", 1066, 600, kScreen, two).normal,
        (Bounds{3000, 20, 3800, 620}));
    // Only the lower part on screen: the caption cannot be reached, so the default.
    EXPECT_EQ(ChooseStartPlacement("0,1,-1,-1,-1,-1,10,-300,810,300", 1066, 600, kScreen, kMonitors)
                  .normal,
              centred);
}

TEST(PlacementAtExit, MinimizedIsStoredShownAndRestoreToMaximizedAsMaximized) {
    WindowPlacement p;
    p.showCommand = 2;
    EXPECT_EQ(PlacementToStore(p, true).showCommand, kShow);
    p.flags = kRestoreToMaximized;
    EXPECT_EQ(PlacementToStore(p, true).showCommand, kShowMaximized);
    WindowPlacement normal;
    EXPECT_EQ(PlacementToStore(normal, false).showCommand, kShowNormal);
}

TEST(WindowActions, SystemCommandsBecomeNotifications) {
    using V = std::vector<std::string>;
    auto words = [](SystemCommand c, bool max, bool min) {
        V out;
        for (const char* w : NotificationsForSystemCommand(c, max, min))
            out.emplace_back(w);
        return out;
    };
    EXPECT_EQ(words(SystemCommand::Close, false, false), V{"closeAppButton"});
    EXPECT_EQ(words(SystemCommand::Minimize, false, false), V{"minimizeAppButton"});
    EXPECT_EQ(words(SystemCommand::Maximize, false, false), V{"maximizeAppButton"});
    EXPECT_EQ(words(SystemCommand::Restore, true, false), V{"restoreAppButton"});
    EXPECT_EQ(words(SystemCommand::Restore, false, true), V{"restoreAppButton"});
    EXPECT_EQ(words(SystemCommand::Restore, false, false), V{});
    EXPECT_EQ(words(SystemCommand::Other, true, true), V{});
    EXPECT_STREQ(NotificationForStripDoubleClick(false), "maximizeAppButton");
    EXPECT_STREQ(NotificationForStripDoubleClick(true), "restoreAppButton");
}

TEST(WindowActions, OnlyChangesTheWindowDidNotAskForAreReported) {
    WindowStateTracker t;
    // The desktop minimizes on its own: reported.
    EXPECT_EQ(t.Changed(ShownState::Normal, ShownState::Minimized), SystemCommand::Minimize);
    EXPECT_EQ(t.Changed(ShownState::Minimized, ShownState::Normal), SystemCommand::Restore);
    // The movie asked for maximize: the change is not reported back.
    t.Requested(ShownState::Maximized);
    EXPECT_EQ(t.Changed(ShownState::Normal, ShownState::Maximized), SystemCommand::Other);
    // The request is used up: the desktop maximizing later is reported again.
    EXPECT_EQ(t.Changed(ShownState::Maximized, ShownState::Normal), SystemCommand::Restore);
    EXPECT_EQ(t.Changed(ShownState::Normal, ShownState::Maximized), SystemCommand::Maximize);
    EXPECT_EQ(t.Changed(ShownState::Normal, ShownState::Normal), SystemCommand::Other);
}
