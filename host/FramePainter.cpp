// Cairo execution of the frame's paint plan.
#include "host/FramePainter.h"

#include <gdk-pixbuf/gdk-pixbuf.h>
#include <gdk/gdk.h>
#include <pango/pangocairo.h>

namespace pennoria::host {

namespace {

// The part of an image that is stretched, as its own surface: a one-pixel column or row is
// copied out so that filtering while stretching never reaches its neighbours.
cairo_surface_t* SourcePart(GdkPixbuf* pixbuf, ImagePart part) {
    const int w = gdk_pixbuf_get_width(pixbuf);
    const int h = gdk_pixbuf_get_height(pixbuf);
    const int partW = part == ImagePart::LeftColumn ? 1 : w;
    const int partH = part == ImagePart::TopRow ? 1 : h;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, partW, partH);
    cairo_t* cr = cairo_create(surface);
    gdk_cairo_set_source_pixbuf(cr, pixbuf, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return surface;
}

void DrawImage(cairo_t* cr, const PaintStep& step) {
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_file(step.imagePath.c_str(), nullptr);
    if (!pixbuf)
        return;
    const int w = gdk_pixbuf_get_width(pixbuf);
    const int h = gdk_pixbuf_get_height(pixbuf);
    if (w > 0 && h > 0) {
        cairo_surface_t* part = SourcePart(pixbuf, step.part);
        const int partW = cairo_image_surface_get_width(part);
        const int partH = cairo_image_surface_get_height(part);
        const int destW = step.naturalSize ? w : step.dest.width;
        const int destH = step.naturalSize ? h : step.dest.height;
        if (destW > 0 && destH > 0) {
            cairo_save(cr);
            cairo_rectangle(cr, step.dest.x, step.dest.y, destW, destH);
            cairo_clip(cr);
            cairo_translate(cr, step.dest.x, step.dest.y);
            cairo_scale(cr, static_cast<double>(destW) / partW, static_cast<double>(destH) / partH);
            cairo_set_source_surface(cr, part, 0, 0);
            cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
            cairo_paint(cr);
            cairo_restore(cr);
        }
        cairo_surface_destroy(part);
    }
    g_object_unref(pixbuf);
}

void SetArgb(cairo_t* cr, std::uint32_t argb) {
    cairo_set_source_rgba(cr, ((argb >> 16) & 0xFF) / 255.0, ((argb >> 8) & 0xFF) / 255.0,
                          (argb & 0xFF) / 255.0, ((argb >> 24) & 0xFF) / 255.0);
}

void DrawText(cairo_t* cr, const PaintStep& step) {
    if (step.text.empty())
        return;
    PangoLayout* layout = pango_cairo_create_layout(cr);
    PangoFontDescription* font = pango_font_description_from_string("Tahoma");
    pango_font_description_set_absolute_size(font, 12 * PANGO_SCALE);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, step.text.c_str(), -1);
    SetArgb(cr, step.argb);
    cairo_move_to(cr, step.dest.x, step.dest.y);
    pango_cairo_show_layout(cr, layout);
    pango_font_description_free(font);
    g_object_unref(layout);
}

} // namespace

void ExecutePaintPlan(cairo_t* cr, const std::vector<PaintStep>& plan) {
    for (const PaintStep& step : plan) {
        switch (step.kind) {
        case PaintStep::Kind::Fill:
            cairo_save(cr);
            cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
            SetArgb(cr, step.argb);
            cairo_rectangle(cr, step.dest.x, step.dest.y, step.dest.width, step.dest.height);
            cairo_fill(cr);
            cairo_restore(cr);
            break;
        case PaintStep::Kind::Image:
            DrawImage(cr, step);
            break;
        case PaintStep::Kind::Text:
            DrawText(cr, step);
            break;
        }
    }
}

bool ComposeFrameInto(cairo_surface_t* target, bool clientCaption, const std::string& programFolder,
                      const std::string& title) {
    const int width = cairo_image_surface_get_width(target);
    const int height = cairo_image_surface_get_height(target);
    SkinDescription skin;
    if (width <= 0 || height <= 0 || !skin.LoadFile(SkinDescriptionPath(programFolder)))
        return false;
    cairo_t* cr = cairo_create(target);
    ExecutePaintPlan(cr,
                     BuildFramePaintPlan(width, height, clientCaption, skin, programFolder, title));
    cairo_destroy(cr);
    cairo_surface_flush(target);
    return true;
}

cairo_surface_t* ComposeFrame(int width, int height, bool clientCaption,
                              const std::string& programFolder, const std::string& title) {
    if (width <= 0 || height <= 0)
        return nullptr;
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height);
    if (!ComposeFrameInto(surface, clientCaption, programFolder, title)) {
        cairo_surface_destroy(surface);
        return nullptr;
    }
    return surface;
}

} // namespace pennoria::host
