// Decisions of the skinned borderless frame, free of any toolkit: edge codes and cursors, click and
// caption-strip rules, the window region, minimum-size adjustment and caption-button layout.
#pragma once

#include <array>
#include <optional>

namespace pennoria::host {

// A rectangle as position and size.
struct Rect {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Rect& o) const {
        return x == o.x && y == o.y && width == o.width && height == o.height;
    }
};

// A rectangle as its four sides; right and bottom are exclusive.
struct Bounds {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    bool operator==(const Bounds& o) const {
        return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
    }
};

// The window's edges and corners a point can lie on; None is the inside.
enum class EdgeCode { None, Left, Right, Top, TopLeft, TopRight, Bottom, BottomLeft, BottomRight };

enum class FrameCursor {
    Arrow,
    SizeWestEast,
    SizeNorthSouth,
    SizeNorthwestSoutheast,
    SizeNortheastSouthwest
};

// Height of the caption area that moves the window and of the frame's side-band start.
constexpr int kCaptionHeight = 24;
// Width of every frame band.
constexpr int kBandWidth = 4;
// The band height at the top when the client draws its own caption.
constexpr int kClientCaptionBand = 4;
// The part at the right of the client's caption strip that is left to the client (its buttons).
constexpr int kStripRightReserve = 73;
// Distance of the close button's left edge from the right side.
constexpr int kCaptionButtonsRightOffset = 38;

// Edge under the point (x, y) of a W x H client area: the left and top zones are 6 pixels wide
// (x <= 5), the right and bottom zones 5 (x >= W - 5). Corners win over sides.
EdgeCode DetectEdge(int x, int y, int width, int height);

FrameCursor CursorForEdge(EdgeCode edge);

enum class FrameClick { None, ResizeFromEdge, MoveWindow };

// A left press on the frame itself: an edge found by the last mouse move resizes, otherwise a
// press in the caption area (0, 0, W, 24) moves the window.
FrameClick DecideFrameClick(EdgeCode lastEdge, int x, int y, int width);

// The client's own caption strip: 4 < y < 24 and x < frame width - 73, in the coordinates of
// whichever window the press is addressed to.
bool InClientCaptionStrip(int x, int y, int frameWidth);

enum class FrameDoubleClick { None, Maximize, Restore };

// A double-click on the frame itself in the caption area toggles maximized and normal.
FrameDoubleClick DecideFrameDoubleClick(bool maximizable, bool maximized, int x, int y, int width);

// The window region: the W x H rectangle with these eight rectangles combined by exclusive-or,
// which cuts five pixels off each corner.
std::array<Bounds, 8> WindowRegionCuts(int width, int height);

// Whether (x, y) is inside the region those cuts leave (exclusive-or semantics).
bool WindowRegionContains(int width, int height, int x, int y);

// Keeps a rectangle being dragged by an edge at least minWidth x minHeight, moving only the
// dragged sides.
void AdjustSizingBounds(EdgeCode edge, Bounds& bounds, int minWidth, int minHeight);

// The bounds a resize by an edge should end with, given the bounds when the drag started and the
// bounds the desktop produced: the sides that were not dragged stay where they were (a desktop
// that keeps the minimum size by moving the far side is corrected), at the minimum size or more.
Bounds KeepUndraggedSides(EdgeCode edge, const Bounds& start, const Bounds& now, int minWidth,
                          int minHeight);

// Minimum track width for a screen: 600 scaled by the screen's aspect ratio, fraction dropped.
int MinTrackWidthForScreen(int screenWidth, int screenHeight);
constexpr int kMinTrackHeight = 600;

struct CaptionButtonWidths {
    int close = 0;
    int maximize = 0;
    int minimize = 0;
};

// Left edges of the caption buttons (all at y = 0); a button without a place is left where it is.
struct CaptionButtonPlaces {
    std::optional<int> close;
    std::optional<int> maximize; // the restore button shares this place
    std::optional<int> minimize;
};

struct CaptionButtonsPresent {
    bool close = false;
    bool maximize = false;
    bool restore = false;
    bool minimize = false;
};

// Where the caption buttons go for a client width. With maximize and restore buttons, all four
// must exist or nothing moves; without them, the close and minimize buttons must exist.
CaptionButtonPlaces LayoutCaptionButtons(int clientWidth, bool maximizable,
                                         const CaptionButtonsPresent& present,
                                         const CaptionButtonWidths& widths);

// The window command a caption button's click asks for (control ids 1001 to 1004).
enum class CaptionCommand { None, Close, Maximize, Restore, Minimize };
CaptionCommand CaptionCommandForButton(int controlId);

constexpr int kCloseButtonId = 1001;
constexpr int kMaxButtonId = 1002;
constexpr int kRestoreButtonId = 1003;
constexpr int kMinButtonId = 1004;

// The player's place in the client area: 4 pixels in from the left, right and bottom, and 4 (the
// client draws its caption) or 24 from the top. Never negative in size.
Rect PlayerLayout(int clientWidth, int clientHeight, bool clientCaption);

} // namespace pennoria::host
