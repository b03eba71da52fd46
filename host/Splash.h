// The start-up splash: the program's name and a quiet progress indication painted by the host over
// the player's place in the frame, from the window's first paint until the editor's first frame.
#pragma once

#include "host/player/GlibPtr.h"

#include <gtk/gtk.h>

#include <string>

namespace pennoria::host {

class CSplash {
public:
    explicit CSplash(std::string title);
    ~CSplash();
    CSplash(const CSplash&) = delete;
    CSplash& operator=(const CSplash&) = delete;

    // The widget to lay over the player (the splash keeps its own reference).
    GtkWidget* Widget() const { return m_area.get(); }
    // True once it has been painted.
    bool Painted() const { return m_painted; }

private:
    static gboolean OnDraw(GtkWidget* widget, cairo_t* cr, gpointer self);
    static gboolean OnTick(gpointer self);

    std::string m_title;
    glib::GObjectPtr<GtkWidget> m_area;
    guint m_timer = 0;
    int m_step = 0;
    bool m_painted = false;
};

} // namespace pennoria::host
