// GTK side of the skinned frame: events in, FrameLogic decisions, GTK calls out.
#include "host/SkinFrame.h"

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

CSkinFrame::CSkinFrame() = default;

CSkinFrame::~CSkinFrame() {
    *m_alive = false;
    m_closeButton.reset();
    m_maxButton.reset();
    m_restoreButton.reset();
    m_minButton.reset();
    if (m_window) {
        g_signal_handlers_disconnect_by_data(m_window, this);
        gtk_widget_destroy(m_window);
    }
    if (m_loop)
        g_main_loop_unref(m_loop);
    if (m_offscreen)
        cairo_surface_destroy(m_offscreen);
}

void CSkinFrame::SetMinTrackSize(int width, int height) {
    m_minTrackWidth = width;
    m_minTrackHeight = height;
    ApplyMinimumSize();
}

void CSkinFrame::SetClientDrawsCaption(bool clientCaption) {
    m_clientCaption = clientCaption;
    if (clientCaption)
        m_noCaptionButtons = true;
}

int CSkinFrame::ClientWidth() const {
    return m_width;
}
int CSkinFrame::ClientHeight() const {
    return m_height;
}

bool CSkinFrame::OnCreate() {
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
    gtk_window_resize(GTK_WINDOW(m_window), m_minTrackWidth, m_minTrackHeight);
    m_width = m_minTrackWidth;
    m_height = m_minTrackHeight;
    CreateCaptionButtons();
    return true;
}

void CSkinFrame::ApplyMinimumSize() {
    if (!m_window)
        return;
    GdkGeometry geometry{};
    geometry.min_width = m_resizable ? m_minTrackWidth : 1;
    geometry.min_height = m_resizable ? m_minTrackHeight : 1;
    gtk_window_set_geometry_hints(GTK_WINDOW(m_window), nullptr, &geometry, GDK_HINT_MIN_SIZE);
}

void CSkinFrame::SetClientWidget(GtkWidget* widget) {
    gtk_container_add(GTK_CONTAINER(m_overlay), widget);
}

void CSkinFrame::AddClientOverlay(GtkWidget* widget) {
    gtk_overlay_add_overlay(GTK_OVERLAY(m_overlay), widget);
}

void CSkinFrame::ShowFrame() {
    gtk_widget_show_all(m_window);
    if (m_restoreButton)
        gtk_widget_hide(m_restoreButton->Widget());
}

FrameRun CSkinFrame::Run() {
    m_ended = false;
    if (!OnCreate())
        return FrameRun::Failed;
    ApplyMinimumSize();
    UpdateWindowRegion(m_width, m_height);
    gdk_event_handler_set(EventFilter, this, nullptr);
    const bool initialised = OnCreated();
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
    return m_ended ? FrameRun::Closed : FrameRun::Failed;
}

void CSkinFrame::Stop() {
    m_ended = true;
    if (m_loop)
        g_main_loop_quit(m_loop);
}

void CSkinFrame::ShowMaximized() {
    if (!m_window)
        return;
    m_stateTracker.Requested(ShownState::Maximized);
    gtk_window_deiconify(Window());
    gtk_window_maximize(Window());
}

void CSkinFrame::ShowRestored() {
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

void CSkinFrame::ShowMinimized() {
    if (!m_window)
        return;
    m_stateTracker.Requested(ShownState::Minimized);
    gtk_window_iconify(Window());
}

void CSkinFrame::MoveWindow(const Bounds& b) {
    if (!m_window)
        return;
    gtk_window_move(Window(), b.left, b.top);
    gtk_window_resize(Window(), std::max(1, b.right - b.left), std::max(1, b.bottom - b.top));
}

WindowPlacement CSkinFrame::GetWindowPlacement() const {
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

void CSkinFrame::OnSysCommand(SystemCommand command, bool, bool) {
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

void CSkinFrame::OnSize(int, int) {
    LayoutButtons();
}

void CSkinFrame::OnWindowDestroyed(GtkWidget*, gpointer data) {
    // The window went away from outside (its X window destroyed): the run ends with it.
    auto* self = static_cast<CSkinFrame*>(data);
    self->m_window = nullptr;
    self->m_overlay = nullptr;
    self->Stop();
}

Bounds CSkinFrame::CurrentBounds() const {
    int x = 0, y = 0, w = 0, h = 0;
    gtk_window_get_position(GTK_WINDOW(m_window), &x, &y);
    gtk_window_get_size(GTK_WINDOW(m_window), &w, &h);
    return {x, y, x + w, y + h};
}

bool CSkinFrame::IsOurs(GdkWindow* window) const {
    if (!window || !m_window)
        return false;
    GdkWindow* own = gtk_widget_get_window(m_window);
    return own && gdk_window_get_toplevel(window) == own;
}

void CSkinFrame::EventFilter(GdkEvent* event, gpointer data) {
    auto* self = static_cast<CSkinFrame*>(data);
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

bool CSkinFrame::PreTranslateEvent(GdkEvent* event) {
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
    if (!m_clientCaption)
        return false;
    if (event->type == GDK_BUTTON_PRESS && event->button.button == GDK_BUTTON_PRIMARY &&
        InClientCaptionStrip(Truncate(event->button.x), Truncate(event->button.y), ClientWidth())) {
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

void CSkinFrame::OnFrameMouseMove(const GdkEventMotion& event) {
    if (!m_resizable || IsMaximized())
        return;
    m_pointerEdge = DetectEdge(Truncate(event.x), Truncate(event.y), ClientWidth(), ClientHeight());
    GdkWindow* window = gtk_widget_get_window(m_window);
    GdkCursor* cursor = gdk_cursor_new_from_name(gdk_window_get_display(window),
                                                 CursorName(CursorForEdge(m_pointerEdge)));
    gdk_window_set_cursor(window, cursor);
    if (cursor)
        g_object_unref(cursor);
}

void CSkinFrame::OnFrameButtonDown(const GdkEventButton& event) {
    const int x = Truncate(event.x), y = Truncate(event.y);
    // The press may come without a move before it (the pointer warped there).
    if (m_resizable && !IsMaximized())
        m_pointerEdge = DetectEdge(x, y, ClientWidth(), ClientHeight());
    switch (DecideFrameClick(m_pointerEdge, x, y, ClientWidth())) {
    case FrameClick::ResizeFromEdge:
        m_resizingEdge = m_pointerEdge;
        m_resizeStart = CurrentBounds();
        gtk_window_begin_resize_drag(Window(), ToGdkEdge(m_pointerEdge), GDK_BUTTON_PRIMARY,
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

void CSkinFrame::OnFrameDoubleClick(const GdkEventButton& event) {
    switch (DecideFrameDoubleClick(m_maximizable, IsMaximized(), Truncate(event.x),
                                   Truncate(event.y), ClientWidth())) {
    case FrameDoubleClick::Maximize:
        if (m_maxButton && m_restoreButton) {
            gtk_widget_hide(m_maxButton->Widget());
            gtk_widget_show(m_restoreButton->Widget());
        }
        ShowMaximized();
        LayoutButtons();
        break;
    case FrameDoubleClick::Restore:
        if (m_maxButton && m_restoreButton) {
            gtk_widget_show(m_maxButton->Widget());
            gtk_widget_hide(m_restoreButton->Widget());
        }
        ShowRestored();
        LayoutButtons();
        break;
    case FrameDoubleClick::None:
        break;
    }
}

gboolean CSkinFrame::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
    auto* self = static_cast<CSkinFrame*>(data);
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
    if (ComposeFrameInto(offscreen, self->m_clientCaption,
                         GetProgramFolder() + GetResourceBaseFolder(), title ? title : "")) {
        cairo_save(cr);
        cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
        cairo_set_source_surface(cr, offscreen, 0, 0);
        cairo_paint(cr);
        cairo_restore(cr);
    }
    return FALSE; // the children are drawn on top
}

gboolean CSkinFrame::OnConfigure(GtkWidget*, GdkEventConfigure* event, gpointer data) {
    auto* self = static_cast<CSkinFrame*>(data);
    const bool resized = event->width != self->m_width || event->height != self->m_height;
    if (self->m_state == ShownState::Normal)
        self->m_normalBounds = {event->x, event->y, event->x + event->width,
                                event->y + event->height};
    // While an edge is dragged the other sides stay put and the minimum size holds, also on a
    // desktop that keeps the minimum by moving the far side or ignores the size hints.
    if (self->m_resizable && self->m_state == ShownState::Normal &&
        self->m_resizingEdge != EdgeCode::None) {
        const Bounds now{event->x, event->y, event->x + event->width, event->y + event->height};
        const Bounds wanted = KeepUndraggedSides(self->m_resizingEdge, self->m_resizeStart, now,
                                                 self->m_minTrackWidth, self->m_minTrackHeight);
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

gboolean CSkinFrame::OnDelete(GtkWidget*, GdkEvent*, gpointer data) {
    auto* self = static_cast<CSkinFrame*>(data);
    self->OnSysCommand(SystemCommand::Close, self->IsMaximized(), self->IsMinimized());
    return TRUE; // never destroyed by the desktop; the run ends through Stop
}

gboolean CSkinFrame::OnWindowState(GtkWidget*, GdkEventWindowState* event, gpointer data) {
    auto* self = static_cast<CSkinFrame*>(data);
    const GdkWindowState s = event->new_window_state;
    const ShownState to = (s & GDK_WINDOW_STATE_ICONIFIED)   ? ShownState::Minimized
                          : (s & GDK_WINDOW_STATE_MAXIMIZED) ? ShownState::Maximized
                                                             : ShownState::Normal;
    const ShownState from = self->m_state;
    self->m_state = to;
    if (from == to)
        return FALSE;
    if (self->m_maxButton && self->m_restoreButton && to != ShownState::Minimized) {
        gtk_widget_set_visible(self->m_maxButton->Widget(), to == ShownState::Normal);
        gtk_widget_set_visible(self->m_restoreButton->Widget(), to == ShownState::Maximized);
        self->LayoutButtons();
    }
    const SystemCommand reported = self->m_stateTracker.Changed(from, to);
    if (reported != SystemCommand::Other)
        self->OnSysCommand(reported, from == ShownState::Maximized, from == ShownState::Minimized);
    return FALSE;
}

void CSkinFrame::UpdateWindowRegion(int width, int height) {
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

void CSkinFrame::CreateCaptionButtons() {
    if (m_noCaptionButtons)
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
    m_closeButton = make(kCloseButtonId, images.close);
    if (m_maximizable) {
        m_maxButton = make(kMaxButtonId, images.maximize);
        m_restoreButton = make(kRestoreButtonId, images.restore);
    }
    m_minButton = make(kMinButtonId, images.minimize);
    LayoutButtons();
}

void CSkinFrame::LayoutButtons() {
    CaptionButtonsPresent present{m_closeButton != nullptr, m_maxButton != nullptr,
                                  m_restoreButton != nullptr, m_minButton != nullptr};
    CaptionButtonWidths widths{m_closeButton ? m_closeButton->Width() : 0,
                               m_maxButton ? m_maxButton->Width() : 0, 0};
    const CaptionButtonPlaces places =
        LayoutCaptionButtons(ClientWidth(), m_maximizable, present, widths);
    auto place = [](const std::unique_ptr<PngButton>& button, std::optional<int> x) {
        if (button && x)
            gtk_widget_set_margin_start(button->Widget(), std::max(0, *x));
    };
    place(m_closeButton, places.close);
    place(m_maxButton, places.maximize);
    place(m_restoreButton, places.maximize);
    place(m_minButton, places.minimize);
}

void CSkinFrame::OnCaptionButton(int controlId) {
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
