// GTK side of the skin image button: events to PngButtonState, state to the drawn slice.
#include "host/PngButton.h"

#include <memory>

namespace pennoria::host {

PngButton::PngButton(int controlId) : m_controlId(controlId), m_widget(gtk_drawing_area_new()) {
    g_object_ref_sink(m_widget);
    gtk_widget_set_can_focus(m_widget, TRUE);
    gtk_widget_add_events(m_widget, GDK_BUTTON_PRESS_MASK | GDK_BUTTON_RELEASE_MASK |
                                        GDK_POINTER_MOTION_MASK | GDK_ENTER_NOTIFY_MASK |
                                        GDK_LEAVE_NOTIFY_MASK | GDK_FOCUS_CHANGE_MASK |
                                        GDK_KEY_PRESS_MASK);
    gtk_widget_set_size_request(m_widget, 0, 0);
    g_signal_connect(m_widget, "draw", G_CALLBACK(OnDraw), this);
    g_signal_connect(m_widget, "event", G_CALLBACK(OnEvent), this);
}

PngButton::~PngButton() {
    g_signal_handlers_disconnect_by_data(m_widget, this);
    if (GtkWidget* parent = gtk_widget_get_parent(m_widget))
        gtk_container_remove(GTK_CONTAINER(parent), m_widget);
    g_object_unref(m_widget);
    if (m_image)
        g_object_unref(m_image);
}

void PngButton::SetImage(const std::string& path) {
    if (m_image)
        g_object_unref(m_image);
    m_image = gdk_pixbuf_new_from_file(path.c_str(), nullptr);
    m_imageWidth = m_image ? gdk_pixbuf_get_width(m_image) : 0;
    m_imageHeight = m_image ? gdk_pixbuf_get_height(m_image) : 0;
    // The widget's place (its top-left corner) is kept by its container; only its size changes.
    gtk_widget_set_size_request(m_widget, m_imageWidth, SliceHeightFor(m_imageHeight));
    gtk_widget_queue_resize(m_widget);
}

gboolean PngButton::OnDraw(GtkWidget*, cairo_t* cr, gpointer data) {
    auto* self = static_cast<PngButton*>(data);
    if (!self->m_image)
        return TRUE;
    const Rect src = SliceSource(self->m_state.Slice(), self->m_imageWidth, self->m_imageHeight);
    cairo_rectangle(cr, 0, 0, src.width, src.height);
    cairo_clip(cr);
    gdk_cairo_set_source_pixbuf(cr, self->m_image, -src.x, -src.y);
    cairo_paint(cr);
    return TRUE;
}

gboolean PngButton::OnEvent(GtkWidget* widget, GdkEvent* event, gpointer data) {
    auto* self = static_cast<PngButton*>(data);
    PngButtonState& state = self->m_state;
    const ButtonSlice before = state.Slice();
    gboolean handled = FALSE;
    switch (event->type) {
    case GDK_ENTER_NOTIFY:
        state.PointerEntered();
        break;
    case GDK_LEAVE_NOTIFY:
        // While the button is held the pointer leaving only lifts the pressed look.
        if (state.Pressed())
            state.PointerMoved(false);
        else
            state.PointerLeft();
        break;
    case GDK_FOCUS_CHANGE:
        if (event->focus_change.in)
            state.FocusIn();
        else
            state.FocusOut();
        break;
    case GDK_BUTTON_PRESS:
    case GDK_2BUTTON_PRESS:
        // A double click is two presses; the second one arrives as GDK_BUTTON_PRESS as well, so
        // the extra GDK_2BUTTON_PRESS is not counted again.
        if (event->type == GDK_BUTTON_PRESS && event->button.button == GDK_BUTTON_PRIMARY) {
            gtk_widget_grab_focus(widget);
            state.ButtonDown();
            handled = TRUE;
        }
        break;
    case GDK_MOTION_NOTIFY: {
        const int w = gtk_widget_get_allocated_width(widget);
        const int h = gtk_widget_get_allocated_height(widget);
        const double x = event->motion.x, y = event->motion.y;
        state.PointerMoved(x >= 0 && y >= 0 && x < w && y < h);
        break;
    }
    case GDK_BUTTON_RELEASE:
        if (event->button.button == GDK_BUTTON_PRIMARY && state.ButtonUp()) {
            self->PostClick();
            handled = TRUE;
        }
        break;
    case GDK_KEY_PRESS:
        if (event->key.keyval == GDK_KEY_Return || event->key.keyval == GDK_KEY_KP_Enter)
            self->PostClick(); // the key goes on to the window
        break;
    default:
        break;
    }
    if (state.Slice() != before)
        gtk_widget_queue_draw(widget);
    return handled;
}

void PngButton::PostClick() {
    if (!m_notify)
        return;
    // The report runs from the main loop once the current event is done with, and carries its
    // own copy of the handler so that it may outlive the button.
    auto* job = new std::pair<ClickHandler, int>(m_notify, m_controlId);
    g_idle_add_full(
        G_PRIORITY_DEFAULT,
        [](gpointer data) -> gboolean {
            std::unique_ptr<std::pair<ClickHandler, int>> owned(
                static_cast<std::pair<ClickHandler, int>*>(data));
            owned->first(owned->second);
            return G_SOURCE_REMOVE;
        },
        job, nullptr);
}

} // namespace pennoria::host
