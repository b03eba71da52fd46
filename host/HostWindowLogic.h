// Decisions of the main window, free of any toolkit: the "WindowPos" placement text, the default
// and fallback placement, and which notification a window action sends to the movie.
#pragma once

#include "host/FrameLogic.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pennoria::host {

// The ten numbers of a window placement, in the order they are stored.
struct WindowPlacement {
    std::uint32_t flags = 0;
    std::uint32_t showCommand = 1;
    int minX = -1, minY = -1;
    int maxX = -1, maxY = -1;
    Bounds normal;
    bool operator==(const WindowPlacement& o) const {
        return flags == o.flags && showCommand == o.showCommand && minX == o.minX &&
               minY == o.minY && maxX == o.maxX && maxY == o.maxY && normal == o.normal;
    }
};

constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kShowMaximized = 3;
constexpr std::uint32_t kShow = 5;
constexpr std::uint32_t kRestoreToMaximized = 2; // placement flag

// Profile section and entry of the stored placement.
constexpr const char* kPlacementSection = "Setting";
constexpr const char* kPlacementEntry = "WindowPos";

// "flags,show,minX,minY,maxX,maxY,left,top,right,bottom" (unsigned, unsigned, eight signed).
std::string FormatWindowPlacement(const WindowPlacement& placement);

// Reads the ten numbers; nullopt when fewer than ten can be read. Numbers outside 32 bits do
// not read. Text after the tenth number is ignored.
std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text);

// The placement used when nothing usable is stored: the minimum size centred on the screen.
WindowPlacement DefaultWindowPlacement(int width, int height, int screenWidth, int screenHeight);

// A monitor's area in desktop coordinates.
using MonitorArea = Rect;

// The placement to open with: the stored one when it reads and its normal rectangle is a real
// rectangle whose caption area lies at least partly on one of the monitors, else the default.
WindowPlacement ChooseStartPlacement(std::string_view stored, int minWidth, int minHeight,
                                     const MonitorArea& screen,
                                     const std::vector<MonitorArea>& monitors);

// What is stored when the window goes away: a minimized window is stored as shown, and one that
// would restore to maximized is stored maximized.
WindowPlacement PlacementToStore(WindowPlacement current, bool minimized);

// The words of the window notifications sent to the movie.
constexpr const char* kMinimizeAppButton = "minimizeAppButton";
constexpr const char* kMaximizeAppButton = "maximizeAppButton";
constexpr const char* kRestoreAppButton = "restoreAppButton";
constexpr const char* kCloseAppButton = "closeAppButton";

enum class SystemCommand { Minimize, Maximize, Restore, Close, Other };

// The notifications a system command sends instead of being carried out; empty for commands
// the window handles itself.
std::vector<const char*> NotificationsForSystemCommand(SystemCommand command, bool maximized,
                                                       bool minimized);

// A double-click in the client's caption strip: restore when maximized, else maximize.
const char* NotificationForStripDoubleClick(bool maximized);

enum class ShownState { Normal, Minimized, Maximized };

// Tells the window's own state changes apart from the desktop's. The window records each state
// it asks for; a change to a state nobody asked for was made by the desktop (a window manager
// that minimizes or maximizes by itself) and is reported to the movie as the matching system
// command, which the movie then confirms.
class WindowStateTracker {
public:
    void Requested(ShownState state) { m_requested = state; }
    // The system command to report for a change, or Other when the window asked for it.
    SystemCommand Changed(ShownState from, ShownState to);

private:
    std::optional<ShownState> m_requested;
};

} // namespace pennoria::host
