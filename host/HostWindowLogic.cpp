// The main window's placement text and window-action decisions.
#include "host/HostWindowLogic.h"

#include <algorithm>
#include <climits>
#include <cstdio>

namespace pennoria::host {

std::string FormatWindowPlacement(const WindowPlacement& p) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, "%u,%u,%d,%d,%d,%d,%d,%d,%d,%d", p.flags, p.showCommand,
                  p.minX, p.minY, p.maxX, p.maxY, p.normal.left, p.normal.top, p.normal.right,
                  p.normal.bottom);
    return buffer;
}

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// One number as the formatted reader takes it: white space, an optional sign, decimal digits.
// Unsigned fields take a minus sign by wrapping, as that reader does.
bool ReadNumber(std::string_view text, std::size_t& pos, bool isUnsigned, long long& out) {
    while (pos < text.size() && IsSpace(text[pos]))
        ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    unsigned long long value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        value = value * 10 + static_cast<unsigned>(text[pos] - '0');
        if (value > 0xFFFFFFFFull)
            return false;
        ++pos;
    }
    if (pos == digitsStart)
        return false;
    long long signedValue =
        negative ? -static_cast<long long>(value) : static_cast<long long>(value);
    if (isUnsigned) {
        if (signedValue < -0xFFFFFFFFll)
            return false;
        out = static_cast<long long>(static_cast<std::uint32_t>(signedValue));
        return true;
    }
    if (signedValue < INT_MIN || signedValue > INT_MAX)
        return false;
    out = signedValue;
    return true;
}

} // namespace

std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text) {
    long long n[10];
    std::size_t pos = 0;
    for (int i = 0; i < 10; ++i) {
        if (i > 0) {
            if (pos >= text.size() || text[pos] != ',')
                return std::nullopt;
            ++pos;
        }
        if (!ReadNumber(text, pos, i < 2, n[i]))
            return std::nullopt;
    }
    WindowPlacement p;
    p.flags = static_cast<std::uint32_t>(n[0]);
    p.showCommand = static_cast<std::uint32_t>(n[1]);
    p.minX = static_cast<int>(n[2]);
    p.minY = static_cast<int>(n[3]);
    p.maxX = static_cast<int>(n[4]);
    p.maxY = static_cast<int>(n[5]);
    p.normal = {static_cast<int>(n[6]), static_cast<int>(n[7]), static_cast<int>(n[8]),
                static_cast<int>(n[9])};
    return p;
}

WindowPlacement DefaultWindowPlacement(int width, int height, int screenWidth, int screenHeight) {
    WindowPlacement p;
    p.flags = 0;
    p.showCommand = kShowNormal;
    p.minX = p.minY = p.maxX = p.maxY = -1;
    int left = (screenWidth - width) / 2;
    int top = (screenHeight - height) / 2;
    if (left <= 0)
        left = 0;
    if (top <= 0)
        top = 0;
    p.normal = {left, top, left + width, top + height};
    return p;
}

namespace {

bool Intersects(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

} // namespace

WindowPlacement ChooseStartPlacement(std::string_view stored, int minWidth, int minHeight,
                                     const MonitorArea& screen,
                                     const std::vector<MonitorArea>& monitors) {
    WindowPlacement fallback =
        DefaultWindowPlacement(minWidth, minHeight, screen.width, screen.height);
    fallback.normal.left += screen.x;
    fallback.normal.right += screen.x;
    fallback.normal.top += screen.y;
    fallback.normal.bottom += screen.y;
    std::optional<WindowPlacement> p = ParseWindowPlacement(stored);
    if (!p)
        return fallback;
    const Bounds& n = p->normal;
    // 64-bit differences: a stored text can hold any two 32-bit numbers.
    const long long width = static_cast<long long>(n.right) - n.left;
    const long long height = static_cast<long long>(n.bottom) - n.top;
    if (width <= 0 || height <= 0 || width > INT_MAX / 2 || height > INT_MAX / 2)
        return fallback;
    // The window can be moved back only while part of its caption area is on a monitor.
    const Rect caption{n.left, n.top, static_cast<int>(width),
                       static_cast<int>(std::min<long long>(height, kCaptionHeight))};
    const bool visible = std::any_of(monitors.begin(), monitors.end(),
                                     [&](const MonitorArea& m) { return Intersects(caption, m); });
    return visible ? *p : fallback;
}

WindowPlacement PlacementToStore(WindowPlacement current, bool minimized) {
    if (minimized)
        current.showCommand = kShow;
    if (current.flags & kRestoreToMaximized)
        current.showCommand = kShowMaximized;
    return current;
}

std::vector<const char*> NotificationsForSystemCommand(SystemCommand command, bool maximized,
                                                       bool minimized) {
    switch (command) {
    case SystemCommand::Minimize:
        return {kMinimizeAppButton};
    case SystemCommand::Maximize:
        return {kMaximizeAppButton};
    case SystemCommand::Close:
        return {kCloseAppButton};
    case SystemCommand::Restore: {
        std::vector<const char*> words;
        if (maximized)
            words.push_back(kRestoreAppButton);
        if (minimized)
            words.push_back(kRestoreAppButton);
        return words;
    }
    case SystemCommand::Other:
        break;
    }
    return {};
}

const char* NotificationForStripDoubleClick(bool maximized) {
    return maximized ? kRestoreAppButton : kMaximizeAppButton;
}

SystemCommand WindowStateTracker::Changed(ShownState from, ShownState to) {
    if (from == to)
        return SystemCommand::Other;
    if (m_requested && *m_requested == to) {
        m_requested.reset();
        return SystemCommand::Other;
    }
    switch (to) {
    case ShownState::Minimized:
        return SystemCommand::Minimize;
    case ShownState::Maximized:
        return SystemCommand::Maximize;
    case ShownState::Normal:
        return SystemCommand::Restore;
    }
    return SystemCommand::Other;
}

} // namespace pennoria::host
