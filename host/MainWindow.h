// The main window: the skinned frame filled by the player. It brings the editor up, keeps the
// player laid out, reports the user's window actions to the movie instead of acting on them,
// keeps its placement in the profile, and carries out the window commands the movie sends
// (IHostWindow).
#pragma once

#include "host/HostServices.h"
#include "host/SkinFrame.h"
#include "host/Splash.h"
#include "platform/HostWindow.h"

#include <functional>
#include <memory>
#include <string>

namespace pennoria::host {

class CMainWindow : public CSkinFrame, public platform::IHostWindow {
public:
    struct Services {
        GtkWidget* playerWidget = nullptr; // the player's widget, placed inside the frame
        IEditorCore* core = nullptr;
        IWindowProfile* profile = nullptr;
        // Called once the window exists (dialogs take it as their parent).
        std::function<void(GtkWindow*)> windowCreated;
        // The name the start-up splash shows over the player until HideSplash; empty: the
        // window shows the player at once.
        std::string splashTitle;
    };

    explicit CMainWindow(const Services& services);
    // The editor core is made after the window it reports to; it is set before Run.
    void SetEditorCore(IEditorCore* core) { m_services.core = core; }
    ~CMainWindow() override;

    // IHostWindow: the window commands of the movie.
    void Minimize() override { ShowMinimized(); }
    void Maximize() override { ShowMaximized(); }
    void Restore() override { ShowRestored(); }
    bool IsMaximized() override { return CSkinFrame::IsMaximized(); }
    void SetTitle(const std::string& title) override;
    void SaveWindowPlacement() override;
    void Close() override { Stop(); }
    void Post(std::function<void()> work) override;
    void BeginBusy() override;
    void EndBusy() override;

    // The placement to open with for a screen; exposed for the start-up code and tests.
    WindowPlacement LoadWindowPlacement();

    // The editor's first frame is on screen: the splash goes and the player takes the keys.
    void HideSplash();
    // Brings the window to the front (a second start of the program handed over to this one).
    void Present();

protected:
    bool OnCreate() override;
    bool OnCreated() override;
    void OnSize(int width, int height) override;
    void OnClose() override;
    void OnSysCommand(SystemCommand command, bool wasMaximized, bool wasMinimized) override;
    void OnClientStripDoubleClick() override;
    void OnHelp() override;
    void OnDestroy() override;
    bool PreTranslateEvent(GdkEvent* event) override;

private:
    // Gives the player the keyboard focus unless it (or a widget inside it) has it.
    void FocusPlayer();
    void LayoutPlayer();
    void Notify(const char* word);
    void StorePlacement(const WindowPlacement& placement);

    void PlaceWindow();
    void ShowSplashNow();

    Services m_services;
    std::unique_ptr<CSplash> m_splash;
    bool m_laidOut = false;
    int m_busy = 0;
};

// The screen the window opens on and every monitor's area, from the default display.
MonitorArea PrimaryMonitorArea();
std::vector<MonitorArea> AllMonitorAreas();

} // namespace pennoria::host
