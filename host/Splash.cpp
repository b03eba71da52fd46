// The start-up splash: drawn with Cairo and Pango, a slow three-dot progress on a timer.
#include "host/Splash.h"

#include "host/player/BridgeMessages.h"
#include "host/player/GlibPtr.h"

namespace pennoria::host {

namespace {

// The editor's own background and text colours, so its first frame replaces the splash quietly.
constexpr double kBackground[] = {0xD3 / 255.0, 0xD6 / 255.0, 0xDD / 255.0};
constexpr double kText[] = {0x2E / 255.0, 0x34 / 255.0, 0x40 / 255.0};
// Slow enough to cost nothing, quick enough to show the program is alive.
constexpr guint kStepMs = 400;
constexpr int kDots = 3;

} // namespace

CSplash::CSplash(std::string title) : m_title(std::move(title)) {
    m_area.reset(GTK_WIDGET(g_object_ref_sink(gtk_drawing_area_new())));
    gtk_widget_set_hexpand(m_area.get(), TRUE);
    gtk_widget_set_vexpand(m_area.get(), TRUE);
    g_signal_connect(m_area.get(), "draw", G_CALLBACK(OnDraw), this);
    m_timer = g_timeout_add(kStepMs, OnTick, this);
}

CSplash::~CSplash() {
    if (m_timer)
        g_source_remove(m_timer);
    g_signal_handlers_disconnect_by_data(m_area.get(), this);
    if (GtkWidget* parent = gtk_widget_get_parent(m_area.get()))
        gtk_container_remove(GTK_CONTAINER(parent), m_area.get());
}

gboolean CSplash::OnTick(gpointer data) {
    auto* self = static_cast<CSplash*>(data);
    self->m_step = (self->m_step + 1) % kDots;
    gtk_widget_queue_draw(self->m_area.get());
    return G_SOURCE_CONTINUE;
}

gboolean CSplash::OnDraw(GtkWidget* widget, cairo_t* cr, gpointer data) {
    auto* self = static_cast<CSplash*>(data);
    const int width = gtk_widget_get_allocated_width(widget);
    const int height = gtk_widget_get_allocated_height(widget);
    cairo_set_source_rgb(cr, kBackground[0], kBackground[1], kBackground[2]);
    cairo_paint(cr);

    glib::GObjectPtr<PangoLayout> layout(
        gtk_widget_create_pango_layout(widget, self->m_title.c_str()));
    PangoFontDescription* font = pango_font_description_from_string("Sans Bold 26");
    pango_layout_set_font_description(layout.get(), font);
    pango_font_description_free(font);
    int textWidth = 0, textHeight = 0;
    pango_layout_get_pixel_size(layout.get(), &textWidth, &textHeight);
    const double top = height / 2.0 - textHeight;
    cairo_set_source_rgb(cr, kText[0], kText[1], kText[2]);
    cairo_move_to(cr, (width - textWidth) / 2.0, top);
    pango_cairo_show_layout(cr, layout.get());

    // Three dots, the current one darker.
    const double y = top + textHeight + 24, gap = 18, radius = 4;
    for (int i = 0; i < kDots; ++i) {
        const double alpha = i == self->m_step ? 0.9 : 0.3;
        cairo_set_source_rgba(cr, kText[0], kText[1], kText[2], alpha);
        cairo_arc(cr, width / 2.0 + (i - 1) * gap, y, radius, 0, 2 * G_PI);
        cairo_fill(cr);
    }
    if (!self->m_painted) {
        self->m_painted = true;
        BridgeLog().Write("splash");
    }
    return TRUE;
}

} // namespace pennoria::host
