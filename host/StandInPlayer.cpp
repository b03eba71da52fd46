// The stand-in player widget: draws a plain area and logs what reaches it.
#include "host/StandInPlayer.h"

#include "platform/DebugLog.h"

namespace pennoria::host {

namespace {

gboolean OnStandInEvent(GtkWidget* widget, GdkEvent* event, gpointer) {
    switch (event->type) {
    case GDK_KEY_PRESS:
        platform::DebugOutput(
            std::string("player: key ") +
            (gdk_keyval_name(event->key.keyval) ? gdk_keyval_name(event->key.keyval) : "?"));
        return TRUE;
    case GDK_BUTTON_PRESS:
        gtk_widget_grab_focus(widget);
        platform::DebugOutput("player: button " + std::to_string(event->button.button));
        return TRUE;
    default:
        return FALSE;
    }
}

gboolean OnStandInDraw(GtkWidget* widget, cairo_t* cr, gpointer) {
    cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
    cairo_rectangle(cr, 0, 0, gtk_widget_get_allocated_width(widget),
                    gtk_widget_get_allocated_height(widget));
    cairo_fill(cr);
    return TRUE;
}

} // namespace

CStandInPlayer::CStandInPlayer() : m_widget(gtk_drawing_area_new()) {
    g_object_ref_sink(m_widget);
    gtk_widget_set_can_focus(m_widget, TRUE);
    gtk_widget_add_events(m_widget, GDK_KEY_PRESS_MASK | GDK_BUTTON_PRESS_MASK);
    g_signal_connect(m_widget, "event", G_CALLBACK(OnStandInEvent), nullptr);
    g_signal_connect(m_widget, "draw", G_CALLBACK(OnStandInDraw), nullptr);
}

CStandInPlayer::~CStandInPlayer() {
    g_object_unref(m_widget);
}

void CStandInPlayer::SetMovie(const std::string& moviePathOrUrl) {
    platform::DebugOutput("player: movie " + moviePathOrUrl);
}

std::int32_t CStandInPlayer::GetFlashVersion() {
    return kMinimumFlashVersion;
}

std::optional<std::string> CStandInPlayer::CallEditor(const std::string& invokeText) {
    platform::DebugOutput("player: call " + invokeText);
    return std::string("<undefined/>"); // what a movie function without a result answers
}

} // namespace pennoria::host
