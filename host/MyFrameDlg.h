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

class CMyFrameDlg {
public:
    CMyFrameDlg();
    virtual ~CMyFrameDlg();
    CMyFrameDlg(const CMyFrameDlg&) = delete;
    CMyFrameDlg& operator=(const CMyFrameDlg&) = delete;

    void SetMinTrackSize(int width, int height);
    void SetResizable(bool resizable) { m_bResizable = resizable; }
    void SetClientDrawsCaption(bool clientCaption);

    // Creates the window and runs the initialisation, shows it, and runs its modal loop until
    // EndDialog. Answers the EndDialog code, or -1 when creation or initialisation failed.
    int DoModal();
    void EndDialog(int code);

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
    virtual bool OnInitDialog() { return true; }
    virtual void OnSize(int width, int height);
    // The close request (window manager, close button): ends the dialog unless overridden.
    virtual void OnClose() { EndDialog(2); }
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

    // Members named as the skin code has always named them.
    std::unique_ptr<PngButton> m_btnClose, m_btnMax, m_btnRestore, m_btnMin;
    int m_nMinTrackWidth = 640;
    int m_nMinTrackHeight = 480;
    EdgeCode m_nHitTest = EdgeCode::None;
    bool m_bResizable = false;
    bool m_bMaximizable = true;
    bool m_bNoCaptionButtons = false;
    bool m_bClientCaption = false;
    bool m_bCaptionDragged = false;

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
    int m_result = -1;
    int m_width = 0, m_height = 0;
    Bounds m_normalBounds; // the last rectangle seen while neither maximized nor minimized
    bool m_ended = false;
    EdgeCode m_resizingEdge = EdgeCode::None; // the edge of a resize in progress
    Bounds m_resizeStart;                     // the window's bounds when it started
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};

} // namespace pennoria::host
