// Decisions of the skinned borderless frame: pure functions over sizes and points.
#include "host/FrameLogic.h"

#include <algorithm>

namespace pennoria::host {

EdgeCode DetectEdge(int x, int y, int width, int height) {
    const bool left = x <= 5;
    const bool top = y <= 5;
    const bool right = x >= width - 5;
    const bool bottom = y >= height - 5;
    if (left && top)
        return EdgeCode::TopLeft;
    if (right && bottom)
        return EdgeCode::BottomRight;
    if (right && top)
        return EdgeCode::TopRight;
    if (left && bottom)
        return EdgeCode::BottomLeft;
    if (left)
        return EdgeCode::Left;
    if (right)
        return EdgeCode::Right;
    if (top)
        return EdgeCode::Top;
    if (bottom)
        return EdgeCode::Bottom;
    return EdgeCode::None;
}

FrameCursor CursorForEdge(EdgeCode edge) {
    switch (edge) {
    case EdgeCode::Left:
    case EdgeCode::Right:
        return FrameCursor::SizeWestEast;
    case EdgeCode::Top:
    case EdgeCode::Bottom:
        return FrameCursor::SizeNorthSouth;
    case EdgeCode::TopLeft:
    case EdgeCode::BottomRight:
        return FrameCursor::SizeNorthwestSoutheast;
    case EdgeCode::TopRight:
    case EdgeCode::BottomLeft:
        return FrameCursor::SizeNortheastSouthwest;
    case EdgeCode::None:
        break;
    }
    return FrameCursor::Arrow;
}

FrameClick DecideFrameClick(EdgeCode lastEdge, int x, int y, int width) {
    if (lastEdge != EdgeCode::None)
        return FrameClick::ResizeFromEdge;
    if (x >= 0 && x < width && y >= 0 && y < kCaptionHeight)
        return FrameClick::MoveWindow;
    return FrameClick::None;
}

bool InClientCaptionStrip(int x, int y, int frameWidth) {
    return y > kClientCaptionBand && y < kCaptionHeight && x < frameWidth - kStripRightReserve;
}

FrameDoubleClick DecideFrameDoubleClick(bool maximizable, bool maximized, int x, int y, int width) {
    if (!maximizable || x < 0 || x >= width || y < 0 || y >= kCaptionHeight)
        return FrameDoubleClick::None;
    return maximized ? FrameDoubleClick::Restore : FrameDoubleClick::Maximize;
}

std::array<Bounds, 8> WindowRegionCuts(int w, int h) {
    return {{
        {0, 0, 3, 1},
        {0, 1, 1, 3},
        {w - 3, 0, w, 1},
        {w - 1, 1, w, 3},
        {0, h - 3, 1, h},
        {1, h - 1, 3, h},
        {w - 3, h - 1, w, h},
        {w - 1, h - 3, w, h - 1},
    }};
}

bool WindowRegionContains(int width, int height, int x, int y) {
    if (x < 0 || y < 0 || x >= width || y >= height)
        return false;
    bool inside = true;
    for (const Bounds& cut : WindowRegionCuts(width, height))
        if (x >= cut.left && x < cut.right && y >= cut.top && y < cut.bottom)
            inside = !inside;
    return inside;
}

void AdjustSizingBounds(EdgeCode edge, Bounds& b, int minWidth, int minHeight) {
    const bool left =
        edge == EdgeCode::Left || edge == EdgeCode::TopLeft || edge == EdgeCode::BottomLeft;
    const bool right =
        edge == EdgeCode::Right || edge == EdgeCode::TopRight || edge == EdgeCode::BottomRight;
    const bool top =
        edge == EdgeCode::Top || edge == EdgeCode::TopLeft || edge == EdgeCode::TopRight;
    const bool bottom =
        edge == EdgeCode::Bottom || edge == EdgeCode::BottomLeft || edge == EdgeCode::BottomRight;
    if (left)
        b.left = std::min(b.left, b.right - minWidth);
    if (right)
        b.right = std::max(b.right, b.left + minWidth);
    if (top)
        b.top = std::min(b.top, b.bottom - minHeight);
    if (bottom)
        b.bottom = std::max(b.bottom, b.top + minHeight);
}

Bounds KeepUndraggedSides(EdgeCode edge, const Bounds& start, const Bounds& now, int minWidth,
                          int minHeight) {
    const bool left =
        edge == EdgeCode::Left || edge == EdgeCode::TopLeft || edge == EdgeCode::BottomLeft;
    const bool right =
        edge == EdgeCode::Right || edge == EdgeCode::TopRight || edge == EdgeCode::BottomRight;
    const bool top =
        edge == EdgeCode::Top || edge == EdgeCode::TopLeft || edge == EdgeCode::TopRight;
    const bool bottom =
        edge == EdgeCode::Bottom || edge == EdgeCode::BottomLeft || edge == EdgeCode::BottomRight;
    Bounds b = now;
    const int width = now.right - now.left;
    const int height = now.bottom - now.top;
    if (left) {
        b.right = start.right;
        b.left = b.right - width;
    } else if (right) {
        b.left = start.left;
        b.right = b.left + width;
    } else {
        b.left = start.left;
        b.right = start.right;
    }
    if (top) {
        b.bottom = start.bottom;
        b.top = b.bottom - height;
    } else if (bottom) {
        b.top = start.top;
        b.bottom = b.top + height;
    } else {
        b.top = start.top;
        b.bottom = start.bottom;
    }
    AdjustSizingBounds(edge, b, minWidth, minHeight);
    return b;
}

int MinTrackWidthForScreen(int screenWidth, int screenHeight) {
    if (screenHeight <= 0 || screenWidth <= 0)
        return 800; // no usable screen size: a 4:3 screen's value
    return static_cast<int>(600LL * screenWidth / screenHeight);
}

CaptionButtonPlaces LayoutCaptionButtons(int clientWidth, bool maximizable,
                                         const CaptionButtonsPresent& present,
                                         const CaptionButtonWidths& widths) {
    CaptionButtonPlaces places;
    const int x0 = clientWidth - kCaptionButtonsRightOffset;
    if (maximizable) {
        if (!(present.close && present.maximize && present.restore && present.minimize))
            return places;
        places.close = x0;
        places.maximize = x0 - widths.close;
        places.minimize = x0 - widths.close - widths.maximize;
    } else if (present.close && present.minimize) {
        places.close = x0;
        places.minimize = x0 - widths.close;
    }
    return places;
}

CaptionCommand CaptionCommandForButton(int controlId) {
    switch (controlId) {
    case kCloseButtonId:
        return CaptionCommand::Close;
    case kMaxButtonId:
        return CaptionCommand::Maximize;
    case kRestoreButtonId:
        return CaptionCommand::Restore;
    case kMinButtonId:
        return CaptionCommand::Minimize;
    default:
        return CaptionCommand::None;
    }
}

Rect PlayerLayout(int clientWidth, int clientHeight, bool clientCaption) {
    const int top = clientCaption ? kClientCaptionBand : kCaptionHeight;
    Rect r{kBandWidth, top, clientWidth - 2 * kBandWidth, clientHeight - kBandWidth - top};
    r.width = std::max(r.width, 0);
    r.height = std::max(r.height, 0);
    return r;
}

} // namespace pennoria::host
