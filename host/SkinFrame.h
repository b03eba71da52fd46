// The skinned borderless frame as a GTK window: painted from the skin, corners cut by the window
// shape, moved by its caption area and the client's caption strip, resized by its edges, kept
// at a minimum size, optionally carrying skin caption buttons. Its decisions come from
// FrameLogic; this class translates GTK events to them and their answers back to GTK calls.
#pragma once

#include "host/FrameLogic.h"
#include "host/HostWindowLogic.h"
#include "host/PngButton.h"

#include <gtk/gtk.h>

#include <memory>
#include <string>

namespace pennoria::host {

// How a window's run ended.
enum class FrameRun { Closed, Failed };

class CSkinFrame {
public:
    CSkinFrame();
    virtual ~CSkinFrame();
    CSkinFrame(const CSkinFrame&) = delete;
    CSkinFrame& operator=(const CSkinFrame&) = delete;

    void SetMinTrackSize(int width, int height);
    void SetResizable(bool resizable) { m_resizable = resizable; }
    void SetClientDrawsCaption(bool clientCaption);

    // Creates the window and runs the derived window's steps, shows it, and runs its loop until
    // Stop. Closed once Stop ended it (also from those steps); Failed when the window could not
    // be made, or the steps failed without stopping it.
    FrameRun Run();
    // Ends the loop; the window goes away once Run returns.
    void Stop();

    GtkWindow* Window() const { return GTK_WINDOW(m_window); }
    bool IsMaximized() const { return m_state == ShownState::Maximized; }
    bool IsMinimized() const { return m_state == ShownState::Minimized; }
    int ClientWidth() const;
    int ClientHeight() const;

    // The window's placement: state, and its normal rectangle also while maximized.
    WindowPlacement GetWindowPlacement() const;

protected:
    // Window creation: the frame sizes the window to the minimum size and makes its caption
    // buttons; a derived window adds its own steps after calling this.
    virtual bool OnCreate();
    // The derived window's steps once the window exists and before it shows; false stops it.
    virtual bool OnCreated() { return true; }
    virtual void OnSize(int width, int height);
    // The close request (window manager, close button): stops the window unless overridden.
    virtual void OnClose() { Stop(); }
    // A window command, or a state change the desktop made by itself (then already done).
    virtual void OnSysCommand(SystemCommand command, bool wasMaximized, bool wasMinimized);
    // A double-click in the client's caption strip.
    virtual void OnClientStripDoubleClick() {}
    virtual void OnHelp() {}
    // Called just before the window goes away.
    virtual void OnDestroy() {}
    // Every event for this window or its children, before GTK delivers it; true consumes it.
    virtual bool PreTranslateEvent(GdkEvent* event);

    // The client's content, placed in the frame below the caption buttons.
    void SetClientWidget(GtkWidget* widget);
    // A widget laid over the client's content (the start-up splash).
    void AddClientOverlay(GtkWidget* widget);
    // Shows the window as the modal loop does; initialisation may show it earlier.
    void ShowFrame();

    void ShowMaximized();
    void ShowRestored();
    void ShowMinimized();
    void MoveWindow(const Bounds& bounds);

    std::unique_ptr<PngButton> m_closeButton, m_maxButton, m_restoreButton, m_minButton;
    int m_minTrackWidth = 640;
    int m_minTrackHeight = 480;
    EdgeCode m_pointerEdge = EdgeCode::None;
    bool m_resizable = false;
    bool m_maximizable = true;
    bool m_noCaptionButtons = false;
    bool m_clientCaption = false;

    GtkWidget* m_window = nullptr;
    GtkWidget* m_overlay = nullptr;
    WindowStateTracker m_stateTracker;
    ShownState m_state = ShownState::Normal;

private:
    static void EventFilter(GdkEvent* event, gpointer self);
    static gboolean OnDraw(GtkWidget*, cairo_t*, gpointer self);
    static gboolean OnConfigure(GtkWidget*, GdkEventConfigure*, gpointer self);
    static gboolean OnDelete(GtkWidget*, GdkEvent*, gpointer self);
    static gboolean OnWindowState(GtkWidget*, GdkEventWindowState*, gpointer self);
    static void OnWindowDestroyed(GtkWidget*, gpointer self);
    Bounds CurrentBounds() const;

    bool IsOurs(GdkWindow* window) const;
    void OnFrameMouseMove(const GdkEventMotion& event);
    void OnFrameButtonDown(const GdkEventButton& event);
    void OnFrameDoubleClick(const GdkEventButton& event);
    void CreateCaptionButtons();
    void LayoutButtons();
    void OnCaptionButton(int controlId);
    void UpdateWindowRegion(int width, int height);
    void ApplyMinimumSize();

    GMainLoop* m_loop = nullptr;
    cairo_surface_t* m_offscreen = nullptr; // the frame is composed here, then copied at once
    int m_width = 0, m_height = 0;
    Bounds m_normalBounds; // the last rectangle seen while neither maximized nor minimized
    bool m_ended = false;
    EdgeCode m_resizingEdge = EdgeCode::None; // the edge of a resize in progress
    Bounds m_resizeStart;                     // the window's bounds when it started
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace pennoria::host
