// GTK side of the skinned frame: events in, FrameLogic decisions, GTK calls out.
#include "host/MyFrameDlg.h"

#include "core/ProgramPaths.h"
#include "host/FramePaint.h"
#include "host/FramePainter.h"

namespace pennoria::host {

namespace {

GdkWindowEdge ToGdkEdge(EdgeCode edge) {
    switch (edge) {
    case EdgeCode::Left:
        return GDK_WINDOW_EDGE_WEST;
    case EdgeCode::Right:
        return GDK_WINDOW_EDGE_EAST;
    case EdgeCode::Top:
        return GDK_WINDOW_EDGE_NORTH;
    case EdgeCode::TopLeft:
        return GDK_WINDOW_EDGE_NORTH_WEST;
    case EdgeCode::TopRight:
        return GDK_WINDOW_EDGE_NORTH_EAST;
    case EdgeCode::Bottom:
        return GDK_WINDOW_EDGE_SOUTH;
    case EdgeCode::BottomLeft:
        return GDK_WINDOW_EDGE_SOUTH_WEST;
    case EdgeCode::BottomRight:
    case EdgeCode::None:
        break;
    }
    return GDK_WINDOW_EDGE_SOUTH_EAST;
}

const char* CursorName(FrameCursor cursor) {
    switch (cursor) {
    case FrameCursor::SizeWestEast:
        return "ew-resize";
    case FrameCursor::SizeNorthSouth:
        return "ns-resize";
    case FrameCursor::SizeNorthwestSoutheast:
        return "nwse-resize";
    case FrameCursor::SizeNortheastSouthwest:
        return "nesw-resize";
    case FrameCursor::Arrow:
        break;
    }
    return "default";
}

int Truncate(double v) {
    return static_cast<int>(v);
}

} // namespace

CMyFrameDlg::CMyFrameDlg() = default;

CMyFrameDlg::~CMyFrameDlg() {
    *m_alive = false;
    m_btnClose.reset();
    m_btnMax.reset();
    m_btnRestore.reset();
    m_btnMin.reset();
    if (m_window) {
        g_signal_handlers_disconnect_by_data(m_window, this);
        gtk_widget_destroy(m_window);
    }
    if (m_loop)
        g_main_loop_unref(m_loop);
    if (m_offscreen)
        cairo_surface_destroy(m_offscreen);
}

void CMyFrameDlg::SetMinTrackSize(int width, int height) {
    m_nMinTrackWidth = width;
    m_nMinTrackHeight = height;
    ApplyMinimumSize();
}

void CMyFrameDlg::SetClientDrawsCaption(bool clientCaption) {
    m_bClientCaption = clientCaption;
    if (clientCaption)
        m_bNoCaptionButtons = true;
}

int CMyFrameDlg::ClientWidth() const {
    return m_width;
}
int CMyFrameDlg::ClientHeight() const {
    return m_height;
}

bool CMyFrameDlg::OnCreate() {
    m_window = gtk_window_new(GTK_WINDOW_TOPLEVEL);
    gtk_window_set_decorated(GTK_WINDOW(m_window), FALSE);
    gtk_widget_set_app_paintable(m_window, TRUE);
    gtk_widget_add_events(m_window, GDK_POINTER_MOTION_MASK | GDK_BUTTON_PRESS_MASK |
                                        GDK_BUTTON_RELEASE_MASK | GDK_STRUCTURE_MASK);
    m_overlay = gtk_overlay_new();
    gtk_container_add(GTK_CONTAINER(m_window), m_overlay);
    g_signal_connect(m_window, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(m_window, "configure-event", G_CALLBACK(OnConfigure), this);
    g_signal_connect(m_window, "delete-event", G_CALLBACK(OnDelete), this);
    g_signal_connect(m_window, "window-state-event", G_CALLBACK(OnWindowState), this);
    g_signal_connect(m_window, "destroy", G_CALLBACK(OnWindowDestroyed), this);

    // The window starts at the minimum size; the owner places it later.
    gtk_window_resize(GTK_WINDOW(m_window), m_nMinTrackWidth, m_nMinTrackHeight);
    m_width = m_nMinTrackWidth;
    m_height = m_nMinTrackHeight;
    CreateCaptionButtons();
    return true;
}

void CMyFrameDlg::ApplyMinimumSize() {
    if (!m_window)
        return;
    GdkGeometry geometry{};
    geometry.min_width = m_bResizable ? m_nMinTrackWidth : 1;
    geometry.min_height = m_bResizable ? m_nMinTrackHeight : 1;
    gtk_window_set_geometry_hints(GTK_WINDOW(m_window), nullptr, &geometry, GDK_HINT_MIN_SIZE);
}

void CMyFrameDlg::SetClientWidget(GtkWidget* widget) {
    gtk_container_add(GTK_CONTAINER(m_overlay), widget);
}

void CMyFrameDlg::AddClientOverlay(GtkWidget* widget) {
    gtk_overlay_add_overlay(GTK_OVERLAY(m_overlay), widget);
}

void CMyFrameDlg::ShowFrame() {
    gtk_widget_show_all(m_window);
    if (m_btnRestore)
        gtk_widget_hide(m_btnRestore->Widget());
}

int CMyFrameDlg::DoModal() {
    m_ended = false;
    m_result = -1;
    if (!OnCreate())
        return -1;
    ApplyMinimumSize();
    UpdateWindowRegion(m_width, m_height);
    gdk_event_handler_set(EventFilter, this, nullptr);
    const bool initialised = OnInitDialog();
    if (initialised && !m_ended) {
        ShowFrame();
        m_loop = g_main_loop_new(nullptr, FALSE);
        g_main_loop_run(m_loop);
        g_main_loop_unref(m_loop);
        m_loop = nullptr;
    }
    OnDestroy();
    gdk_event_handler_set([](GdkEvent* event, gpointer) { gtk_main_do_event(event); }, nullptr,
                          nullptr);
    if (m_window) {
        g_signal_handlers_disconnect_by_data(m_window, this);
        gtk_widget_destroy(m_window);
        m_window = nullptr;
    }
    return m_ended ? m_result : -1;
}

void CMyFrameDlg::EndDialog(int code) {
    m_result = code;
    m_ended = true;
    if (m_loop)
        g_main_loop_quit(m_loop);
}

void CMyFrameDlg::ShowMaximized() {
    if (!m_window)
        return;
    m_stateTracker.Requested(ShownState::Maximized);
    gtk_window_deiconify(Window());
    gtk_window_maximize(Window());
}

void CMyFrameDlg::ShowRestored() {
    if (!m_window)
        return;
    if (m_state == ShownState::Minimized) {
        gtk_window_deiconify(Window());
        gtk_window_present(Window());
    } else {
        m_stateTracker.Requested(ShownState::Normal);
        gtk_window_unmaximize(Window());
    }
}

void CMyFrameDlg::ShowMinimized() {
    if (!m_window)
        return;
    m_stateTracker.Requested(ShownState::Minimized);
    gtk_window_iconify(Window());
}

void CMyFrameDlg::MoveWindow(const Bounds& b) {
    if (!m_window)
        return;
    gtk_window_move(Window(), b.left, b.top);
    gtk_window_resize(Window(), std::max(1, b.right - b.left), std::max(1, b.bottom - b.top));
}

WindowPlacement CMyFrameDlg::GetWindowPlacement() const {
    WindowPlacement p;
    p.flags = 0;
    p.showCommand = m_state == ShownState::Minimized   ? 2
                    : m_state == ShownState::Maximized ? kShowMaximized
                                                       : kShowNormal;
    p.normal = m_normalBounds;
    if (m_state == ShownState::Normal && m_window) {
        int x = 0, y = 0, w = 0, h = 0;
        gtk_window_get_position(GTK_WINDOW(m_window), &x, &y);
        gtk_window_get_size(GTK_WINDOW(m_window), &w, &h);
        p.normal = {x, y, x + w, y + h};
    }
    return p;
}

void CMyFrameDlg::OnSysCommand(SystemCommand command, bool, bool) {
    switch (command) {
    case SystemCommand::Minimize:
        ShowMinimized();
        break;
    case SystemCommand::Maximize:
        ShowMaximized();
        break;
    case SystemCommand::Restore:
        ShowRestored();
        break;
    case SystemCommand::Close:
        OnClose();
        break;
    case SystemCommand::Other:
        break;
    }
}

void CMyFrameDlg::OnSize(int, int) {
    LayoutButtons();
}

void CMyFrameDlg::OnWindowDestroyed(GtkWidget*, gpointer data) {
    // The window went away from outside (its X window destroyed): the dialog ends with it.
    auto* self = static_cast<CMyFrameDlg*>(data);
    self->m_window = nullptr;
    self->m_overlay = nullptr;
    self->EndDialog(2);
}

Bounds CMyFrameDlg::CurrentBounds() const {
    int x = 0, y = 0, w = 0, h = 0;
    gtk_window_get_position(GTK_WINDOW(m_window), &x, &y);
    gtk_window_get_size(GTK_WINDOW(m_window), &w, &h);
    return {x, y, x + w, y + h};
}

bool CMyFrameDlg::IsOurs(GdkWindow* window) const {
    if (!window || !m_window)
        return false;
    GdkWindow* own = gtk_widget_get_window(m_window);
    return own && gdk_window_get_toplevel(window) == own;
}

void CMyFrameDlg::EventFilter(GdkEvent* event, gpointer data) {
    auto* self = static_cast<CMyFrameDlg*>(data);
    if (self->IsOurs(event->any.window)) {
        std::shared_ptr<bool> alive = self->m_alive;
        if (self->PreTranslateEvent(event))
            return;
        if (!*alive)
            return;
        // A resize in progress ends with the button; the next press or plain move says so.
        if (event->type == GDK_BUTTON_PRESS ||
            (event->type == GDK_MOTION_NOTIFY &&
             !(event->motion.state & (GDK_BUTTON1_MASK | GDK_BUTTON2_MASK | GDK_BUTTON3_MASK))))
            self->m_resizingEdge = EdgeCode::None;
        if (self->m_window && event->any.window == gtk_widget_get_window(self->m_window)) {
            switch (event->type) {
            case GDK_MOTION_NOTIFY:
                self->OnFrameMouseMove(event->motion);
                break;
            case GDK_BUTTON_PRESS:
                if (event->button.button == GDK_BUTTON_PRIMARY)
                    self->OnFrameButtonDown(event->button);
                break;
            case GDK_2BUTTON_PRESS:
                if (event->button.button == GDK_BUTTON_PRIMARY)
                    self->OnFrameDoubleClick(event->button);
                break;
            default:
                break;
            }
        }
    }
    gtk_main_do_event(event);
}

bool CMyFrameDlg::PreTranslateEvent(GdkEvent* event) {
    if (event->type == GDK_KEY_PRESS) {
        const guint key = event->key.keyval;
        if (key == GDK_KEY_F4 && (event->key.state & GDK_MOD1_MASK)) {
            OnSysCommand(SystemCommand::Close, IsMaximized(), IsMinimized());
            return true;
        }
        if (key == GDK_KEY_F1) {
            OnHelp();
            return true;
        }
        // The window is never ended by these keys.
        return key == GDK_KEY_Return || key == GDK_KEY_KP_Enter || key == GDK_KEY_Escape;
    }
    if (!m_bClientCaption)
        return false;
    if (event->type == GDK_BUTTON_PRESS && event->button.button == GDK_BUTTON_PRIMARY &&
        InClientCaptionStrip(Truncate(event->button.x), Truncate(event->button.y), ClientWidth())) {
        m_bCaptionDragged = true;
        gtk_window_begin_move_drag(Window(), GDK_BUTTON_PRIMARY, Truncate(event->button.x_root),
                                   Truncate(event->button.y_root), event->button.time);
        // The press started a move and is not delivered further: a client below that also saw
        // it would wait for a release that the move takes away.
        return true;
    }
    if (event->type == GDK_2BUTTON_PRESS && event->button.button == GDK_BUTTON_PRIMARY &&
        InClientCaptionStrip(Truncate(event->button.x), Truncate(event->button.y), ClientWidth())) {
        OnClientStripDoubleClick();
    }
    return false;
}

void CMyFrameDlg::OnFrameMouseMove(const GdkEventMotion& event) {
    if (!m_bResizable || IsMaximized())
        return;
    m_nHitTest = DetectEdge(Truncate(event.x), Truncate(event.y), ClientWidth(), ClientHeight());
    GdkWindow* window = gtk_widget_get_window(m_window);
    GdkCursor* cursor = gdk_cursor_new_from_name(gdk_window_get_display(window),
                                                 CursorName(CursorForEdge(m_nHitTest)));
    gdk_window_set_cursor(window, cursor);
    if (cursor)
        g_object_unref(cursor);
}

void CMyFrameDlg::OnFrameButtonDown(const GdkEventButton& event) {
    const int x = Truncate(event.x), y = Truncate(event.y);
    // The press may come without a move before it (the pointer warped there).
    if (m_bResizable && !IsMaximized())
        m_nHitTest = DetectEdge(x, y, ClientWidth(), ClientHeight());
    switch (DecideFrameClick(m_nHitTest, x, y, ClientWidth())) {
    case FrameClick::ResizeFromEdge:
        m_resizingEdge = m_nHitTest;
        m_resizeStart = CurrentBounds();
        gtk_window_begin_resize_drag(Window(), ToGdkEdge(m_nHitTest), GDK_BUTTON_PRIMARY,
                                     Truncate(event.x_root), Truncate(event.y_root), event.time);
        break;
    case FrameClick::MoveWindow:
        gtk_window_begin_move_drag(Window(), GDK_BUTTON_PRIMARY, Truncate(event.x_root),
                                   Truncate(event.y_root), event.time);
        break;
    case FrameClick::None:
        break;
    }
}

void CMyFrameDlg::OnFrameDoubleClick(const GdkEventButton& event) {
    switch (DecideFrameDoubleClick(m_bMaximizable, IsMaximized(), Truncate(event.x),
                                   Truncate(event.y), ClientWidth())) {
    case FrameDoubleClick::Maximize:
        if (m_btnMax && m_btnRestore) {
            gtk_widget_hide(m_btnMax->Widget());
            gtk_widget_show(m_btnRestore->Widget());
        }
        ShowMaximized();
        LayoutButtons();
        break;
    case FrameDoubleClick::Restore:
        if (m_btnMax && m_btnRestore) {
            gtk_widget_show(m_btnMax->Widget());
            gtk_widget_hide(m_btnRestore->Widget());
        }
        ShowRestored();
        LayoutButtons();
        break;
    case FrameDoubleClick::None:
        break;
    }
}

gboolean CMyFrameDlg::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
    auto* self = static_cast<CMyFrameDlg*>(data);
    const int w = self->ClientWidth(), h = self->ClientHeight();
    if (w <= 0 || h <= 0)
        return FALSE;
    cairo_surface_t*& offscreen = self->m_offscreen;
    if (offscreen && (cairo_image_surface_get_width(offscreen) != w ||
                      cairo_image_surface_get_height(offscreen) != h)) {
        cairo_surface_destroy(offscreen);
        offscreen = nullptr;
    }
    if (!offscreen)
        offscreen = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    const char* title = gtk_window_get_title(self->Window());
    // The skin is read afresh for every paint; only the buffer is kept.
    if (ComposeFrameInto(offscreen, self->m_bClientCaption,
                         GetProgramFolder() + GetResourceBaseFolder(), title ? title : "")) {
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, offscreen, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    return FALSE; // the children are drawn on top
}

gboolean CMyFrameDlg::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    auto* self = static_cast<CMyFrameDlg*>(data);
    const bool resized = event->width != self->m_width || event->height != self->m_height;
    if (self->m_state == ShownState::Normal)
        self->m_normalBounds = {event->x, event->y, event->x + event->width,
                                event->y + event->height};
    // While an edge is dragged the other sides stay put and the minimum size holds, also on a
    // desktop that keeps the minimum by moving the far side or ignores the size hints.
    if (self->m_bResizable && self->m_state == ShownState::Normal &&
        self->m_resizingEdge != EdgeCode::None) {
        const Bounds now{event->x, event->y, event->x + event->width, event->y + event->height};
        const Bounds wanted = KeepUndraggedSides(self->m_resizingEdge, self->m_resizeStart, now,
                                                 self->m_nMinTrackWidth, self->m_nMinTrackHeight);
        if (!(wanted == now))
            self->MoveWindow(wanted);
    }
    if (resized) {
        self->m_width = event->width;
        self->m_height = event->height;
        self->UpdateWindowRegion(event->width, event->height);
        self->OnSize(event->width, event->height);
        gtk_widget_queue_draw(self->m_window);
    }
    return FALSE;
}

gboolean CMyFrameDlg::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<CMyFrameDlg*>(data);
    self->OnSysCommand(SystemCommand::Close, self->IsMaximized(), self->IsMinimized());
    return TRUE; // never destroyed by the desktop; the dialog ends through EndDialog
}

gboolean CMyFrameDlg::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* self = static_cast<CMyFrameDlg*>(data);
    const GdkWindowState s = event->new_window_state;
    const ShownState to = (s & GDK_WINDOW_STATE_ICONIFIED)   ? ShownState::Minimized
                          : (s & GDK_WINDOW_STATE_MAXIMIZED) ? ShownState::Maximized
                                                             : ShownState::Normal;
    const ShownState from = self->m_state;
    self->m_state = to;
    if (from == to)
        return FALSE;
    if (self->m_btnMax && self->m_btnRestore && to != ShownState::Minimized) {
        gtk_widget_set_visible(self->m_btnMax->Widget(), to == ShownState::Normal);
        gtk_widget_set_visible(self->m_btnRestore->Widget(), to == ShownState::Maximized);
        self->LayoutButtons();
    }
    const SystemCommand reported = self->m_stateTracker.Changed(from, to);
    if (reported != SystemCommand::Other)
        self->OnSysCommand(reported, from == ShownState::Maximized, from == ShownState::Minimized);
    return FALSE;
}

void CMyFrameDlg::UpdateWindowRegion(int width, int height) {
    if (!m_window || width <= 0 || height <= 0)
        return;
    cairo_rectangle_int_t whole{0, 0, width, height};
    cairo_region_t* region = cairo_region_create_rectangle(&whole);
    for (const Bounds& cut : WindowRegionCuts(width, height)) {
        cairo_rectangle_int_t r{cut.left, cut.top, cut.right - cut.left, cut.bottom - cut.top};
        if (r.width > 0 && r.height > 0)
            cairo_region_xor_rectangle(region, &r);
    }
    gtk_widget_shape_combine_region(m_window, region);
    cairo_region_destroy(region);
}

void CMyFrameDlg::CreateCaptionButtons() {
    if (m_bNoCaptionButtons)
        return;
    SkinDescription skin;
    const std::string programFolder = GetProgramFolder() + GetResourceBaseFolder();
    if (!skin.LoadFile(SkinDescriptionPath(programFolder)))
        return;
    const CaptionButtonImages images = CaptionButtonImagePaths(skin, programFolder);
    auto make = [&](int id, const std::string& path) {
        auto button = std::make_unique<PngButton>(id);
        button->SetImage(path);
        std::shared_ptr<bool> alive = m_alive;
        button->SetNotifyWindow([this, alive](int controlId) {
            if (*alive)
                OnCaptionButton(controlId);
        });
        gtk_widget_set_halign(button->Widget(), GTK_ALIGN_START);
        gtk_widget_set_valign(button->Widget(), GTK_ALIGN_START);
        gtk_overlay_add_overlay(GTK_OVERLAY(m_overlay), button->Widget());
        return button;
    };
    m_btnClose = make(kCloseButtonId, images.close);
    if (m_bMaximizable) {
        m_btnMax = make(kMaxButtonId, images.maximize);
        m_btnRestore = make(kRestoreButtonId, images.restore);
    }
    m_btnMin = make(kMinButtonId, images.minimize);
    LayoutButtons();
}

void CMyFrameDlg::LayoutButtons() {
    CaptionButtonsPresent present{m_btnClose != nullptr, m_btnMax != nullptr,
                                  m_btnRestore != nullptr, m_btnMin != nullptr};
    CaptionButtonWidths widths{m_btnClose ? m_btnClose->Width() : 0,
                               m_btnMax ? m_btnMax->Width() : 0, 0};
    const CaptionButtonPlaces places =
        LayoutCaptionButtons(ClientWidth(), m_bMaximizable, present, widths);
    auto place = [](const std::unique_ptr<PngButton>& button, std::optional<int> x) {
        if (button && x)
            gtk_widget_set_margin_start(button->Widget(), std::max(0, *x));
    };
    place(m_btnClose, places.close);
    place(m_btnMax, places.maximize);
    place(m_btnRestore, places.maximize);
    place(m_btnMin, places.minimize);
}

void CMyFrameDlg::OnCaptionButton(int controlId) {
    switch (CaptionCommandForButton(controlId)) {
    case CaptionCommand::Close:
        OnClose();
        break;
    case CaptionCommand::Maximize:
        ShowMaximized();
        break;
    case CaptionCommand::Restore:
        ShowRestored();
        break;
    case CaptionCommand::Minimize:
        ShowMinimized();
        break;
    case CaptionCommand::None:
        break;
    }
}

} // namespace pennoria::host
