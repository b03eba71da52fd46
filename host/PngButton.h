// The skin image button as a GTK widget: one slice of a four-slice image by state (hover or
// focus, pressed), reporting clicks and Enter to its owner after the event has been handled.
#pragma once

#include "host/PngButtonLogic.h"

#include <gtk/gtk.h>

#include <functional>
#include <string>

namespace pennoria::host {

class PngButton {
public:
    using ClickHandler = std::function<void(int controlId)>;

    explicit PngButton(int controlId);
    ~PngButton();
    PngButton(const PngButton&) = delete;
    PngButton& operator=(const PngButton&) = delete;

    GtkWidget* Widget() const { return m_widget; }
    int ControlId() const { return m_controlId; }

    // Loads the image and sizes the button to its width and a quarter of its height. An image
    // that does not load gives a 0 x 0 button that stays enabled.
    void SetImage(const std::string& path);
    // Who hears the clicks; the report is queued, never made from inside the event.
    void SetNotifyWindow(ClickHandler handler) { m_notify = std::move(handler); }

    int Width() const { return m_imageWidth; }
    int Height() const { return SliceHeightFor(m_imageHeight); }
    ButtonSlice CurrentSlice() const { return m_state.Slice(); }

private:
    static gboolean OnDraw(GtkWidget*, cairo_t*, gpointer self);
    static gboolean OnEvent(GtkWidget*, GdkEvent*, gpointer self);
    void PostClick();

    int m_controlId;
    GtkWidget* m_widget;
    GdkPixbuf* m_image = nullptr;
    int m_imageWidth = 0;
    int m_imageHeight = 0;
    PngButtonState m_state;
    ClickHandler m_notify;
};

} // namespace pennoria::host
