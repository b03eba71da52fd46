// GTK side of the main window: start-up of the editor, player layout, window actions reported
// to the movie, placement kept in the profile.
#include "host/MainWindow.h"

#include "core/ProgramPaths.h"
#include "host/player/BridgeMessages.h"
#include "platform/DebugLog.h"
#include "platform/FileSystem.h"

#include <memory>

namespace pennoria::host {

MonitorArea PrimaryMonitorArea() {
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return {};
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (!monitor && gdk_display_get_n_monitors(display) > 0)
        monitor = gdk_display_get_monitor(display, 0);
    if (!monitor)
        return {};
    GdkRectangle r;
    gdk_monitor_get_geometry(monitor, &r);
    return {r.x, r.y, r.width, r.height};
}

std::vector<MonitorArea> AllMonitorAreas() {
    std::vector<MonitorArea> areas;
    GdkDisplay* display = gdk_display_get_default();
    if (!display)
        return areas;
    for (int i = 0, n = gdk_display_get_n_monitors(display); i < n; ++i) {
        GdkRectangle r;
        gdk_monitor_get_geometry(gdk_display_get_monitor(display, i), &r);
        areas.push_back({r.x, r.y, r.width, r.height});
    }
    return areas;
}

CMainWindow::CMainWindow(const Services& services) : m_services(services) {
    SetClientDrawsCaption(true);
}

CMainWindow::~CMainWindow() = default;

bool CMainWindow::OnCreate() {
    if (!CSkinFrame::OnCreate())
        return false;
    const MonitorArea screen = PrimaryMonitorArea();
    SetMinTrackSize(MinTrackWidthForScreen(screen.width, screen.height), kMinTrackHeight);
    SetResizable(true);
    gtk_window_set_title(Window(), "");
    if (m_services.playerWidget) {
        gtk_widget_set_hexpand(m_services.playerWidget, TRUE);
        gtk_widget_set_vexpand(m_services.playerWidget, TRUE);
        SetClientWidget(m_services.playerWidget);
        if (!m_services.splashTitle.empty()) {
            m_splash = std::make_unique<CSplash>(m_services.splashTitle);
            AddClientOverlay(m_splash->Widget());
        }
    }
    return true;
}

bool CMainWindow::OnCreated() {
    const std::string icon = GetProgramFolder() + "skins/frame/logo.ico";
    if (platform::FileExists(icon))
        gtk_window_set_icon_from_file(Window(), icon.c_str(), nullptr);
    if (m_services.windowCreated)
        m_services.windowCreated(Window());

    IEditorCore* core = m_services.core;
    if (m_splash) {
        // The window opens with the splash at once; the player's start goes on behind it.
        PlaceWindow();
        ShowSplashNow();
    }
    if (core && m_services.playerWidget && core->PlayerUsable()) {
        core->ApplyCommandLine();
        if (!m_laidOut)
            PlaceWindow();
        core->BringEditorUp();
        return true;
    }
    if (core)
        core->RefusePlayer();
    Stop();
    return false;
}

void CMainWindow::PlaceWindow() {
    // The window always opens in its normal state, whatever state was stored.
    const WindowPlacement placement = LoadWindowPlacement();
    MoveWindow(placement.normal);
    LayoutPlayer();
    m_laidOut = true;
}

void CMainWindow::ShowSplashNow() {
    ShowFrame();
    // Paint it before the player's start takes the main loop: at most a short while.
    const gint64 deadline = g_get_monotonic_time() + 500 * 1000;
    while (m_splash && !m_splash->Painted() && g_get_monotonic_time() < deadline)
        if (!g_main_context_iteration(nullptr, FALSE))
            g_usleep(1000);
}

void CMainWindow::HideSplash() {
    if (!m_splash)
        return;
    m_splash.reset();
    BridgeLog().Write("splashgone");
    // The editor is on screen: the keys typed from now on are its own, before any click.
    FocusPlayer();
}

void CMainWindow::FocusPlayer() {
    GtkWidget* player = m_services.playerWidget;
    if (!player || !m_window)
        return;
    GtkWidget* focus = gtk_window_get_focus(Window());
    if (focus && (focus == player || gtk_widget_is_ancestor(focus, player)))
        return;
    if (gtk_widget_get_can_focus(player))
        gtk_widget_grab_focus(player);
    else
        gtk_widget_child_focus(player, GTK_DIR_TAB_FORWARD);
}

void CMainWindow::Present() {
    if (m_window)
        gtk_window_present(Window());
}

WindowPlacement CMainWindow::LoadWindowPlacement() {
    std::string stored;
    if (m_services.profile)
        stored = m_services.profile->GetProfileString(kPlacementSection, kPlacementEntry);
    return ChooseStartPlacement(stored, m_minTrackWidth, m_minTrackHeight, PrimaryMonitorArea(),
                                AllMonitorAreas());
}

void CMainWindow::LayoutPlayer() {
    GtkWidget* widget = m_services.playerWidget;
    if (!widget)
        return;
    const int w = ClientWidth(), h = ClientHeight();
    const Rect r = PlayerLayout(w, h, m_clientCaption);
    gtk_widget_set_margin_start(widget, r.x);
    gtk_widget_set_margin_top(widget, r.y);
    gtk_widget_set_margin_end(widget, std::max(0, w - r.x - r.width));
    gtk_widget_set_margin_bottom(widget, std::max(0, h - r.y - r.height));
    gtk_widget_queue_draw(widget);
    if (m_splash) {
        GtkWidget* splash = m_splash->Widget();
        gtk_widget_set_margin_start(splash, r.x);
        gtk_widget_set_margin_top(splash, r.y);
        gtk_widget_set_margin_end(splash, std::max(0, w - r.x - r.width));
        gtk_widget_set_margin_bottom(splash, std::max(0, h - r.y - r.height));
    }
}

void CMainWindow::OnSize(int width, int height) {
    CSkinFrame::OnSize(width, height);
    if (m_laidOut)
        LayoutPlayer();
}

void CMainWindow::Notify(const char* word) {
    platform::DebugOutput(std::string("window: notify ") + word);
    if (m_services.core)
        m_services.core->NotifyWindowControl(word);
}

void CMainWindow::OnClose() {
    Notify(kCloseAppButton);
}

void CMainWindow::OnSysCommand(SystemCommand command, bool wasMaximized, bool wasMinimized) {
    if (command == SystemCommand::Other) {
        CSkinFrame::OnSysCommand(command, wasMaximized, wasMinimized);
        return;
    }
    for (const char* word : NotificationsForSystemCommand(command, wasMaximized, wasMinimized))
        Notify(word);
}

void CMainWindow::OnClientStripDoubleClick() {
    Notify(NotificationForStripDoubleClick(CSkinFrame::IsMaximized()));
}

void CMainWindow::OnHelp() {
    if (m_services.core)
        m_services.core->OnHelp();
}

void CMainWindow::StorePlacement(const WindowPlacement& placement) {
    const std::string text = FormatWindowPlacement(placement);
    platform::DebugOutput("window: placement " + text);
    if (m_services.profile)
        m_services.profile->WriteProfileString(kPlacementSection, kPlacementEntry, text);
}

void CMainWindow::SaveWindowPlacement() {
    StorePlacement(GetWindowPlacement());
}

void CMainWindow::OnDestroy() {
    if (m_maximizable && m_window)
        StorePlacement(PlacementToStore(GetWindowPlacement(), CSkinFrame::IsMinimized()));
}

bool CMainWindow::PreTranslateEvent(GdkEvent* event) {
    GtkWidget* player = m_services.playerWidget;
    if (event->type == GDK_KEY_PRESS &&
        (event->key.keyval == GDK_KEY_Return || event->key.keyval == GDK_KEY_KP_Enter ||
         event->key.keyval == GDK_KEY_Escape)) {
        // Return and Escape belong to the editor (they answer its dialogs): they go to the
        // player, wherever the focus was; the window itself is never ended by them.
        if (player && m_window) {
            FocusPlayer();
            gtk_window_propagate_key_event(Window(), &event->key);
        }
        return true;
    }
    // The player never sees a right-button press (no context menu over the editor).
    if ((event->type == GDK_BUTTON_PRESS || event->type == GDK_2BUTTON_PRESS ||
         event->type == GDK_3BUTTON_PRESS) &&
        event->button.button == GDK_BUTTON_SECONDARY)
        return true;
    return CSkinFrame::PreTranslateEvent(event);
}

void CMainWindow::SetTitle(const std::string& title) {
    gtk_window_set_title(Window(), title.c_str());
}

void CMainWindow::Post(std::function<void()> work) {
    auto* job = new std::function<void()>(std::move(work));
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            std::unique_ptr<std::function<void()>> owned(static_cast<std::function<void()>*>(data));
            (*owned)();
            return G_SOURCE_REMOVE;
        },
        job, nullptr);
}

void CMainWindow::BeginBusy() {
    if (m_busy++ == 0 && m_window && gtk_widget_get_window(m_window)) {
        GdkWindow* window = gtk_widget_get_window(m_window);
        GdkCursor* cursor = gdk_cursor_new_from_name(gdk_window_get_display(window), "wait");
        gdk_window_set_cursor(window, cursor);
        if (cursor)
            g_object_unref(cursor);
    }
}

void CMainWindow::EndBusy() {
    if (m_busy > 0 && --m_busy == 0 && m_window && gtk_widget_get_window(m_window))
        gdk_window_set_cursor(gtk_widget_get_window(m_window), nullptr);
}

} // namespace pennoria::host
