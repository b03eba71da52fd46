// What the host's portable core asks of its window: state changes, the title, placement, and
// running work after the current reply has gone back to the movie.
#pragma once

#include <functional>
#include <string>

namespace pennoria::platform {

enum class WindowState { Normal, Minimized, Maximized };

class IHostWindow {
public:
    virtual ~IHostWindow() = default;
    virtual void Minimize() = 0;
    virtual void Maximize() = 0;
    virtual void Restore() = 0;
    virtual bool IsMaximized() = 0;
    virtual void SetTitle(const std::string& title) = 0;
    // Stores the current placement ("WindowPos") in the profile.
    virtual void SaveWindowPlacement() = 0;
    // Ends the window's modal loop; the program exits.
    virtual void Close() = 0;
    // Runs work on the user-interface loop after the current request has been answered.
    virtual void Post(std::function<void()> work) = 0;
    // Shows a busy cursor while a slow operation runs (nested calls allowed).
    virtual void BeginBusy() {}
    virtual void EndBusy() {}
};

} // namespace pennoria::platform
