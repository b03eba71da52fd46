// Pictures for publishing with Cairo (drawing, PNG), Pango (text) and gdk-pixbuf (loading and
// JPEG encoding). Needs no display and no GTK.
#include "platform/Raster.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <pango/pangocairo.h>

#include <algorithm>
#include <memory>

namespace pennoria::platform {

namespace {

template <typename T, void (*Free)(T*)> struct Deleter {
    void operator()(T* p) const {
        if (p)
            Free(p);
    }
};
struct ObjectDeleter {
    void operator()(gpointer object) const {
        if (object)
            g_object_unref(object);
    }
};
using PixbufPtr = std::unique_ptr<GdkPixbuf, ObjectDeleter>;
using SurfacePtr =
    std::unique_ptr<cairo_surface_t, Deleter<cairo_surface_t, cairo_surface_destroy>>;
using CairoPtr = std::unique_ptr<cairo_t, Deleter<cairo_t, cairo_destroy>>;
using LayoutPtr = std::unique_ptr<PangoLayout, ObjectDeleter>;
using FontPtr = std::unique_ptr<PangoFontDescription,
                                Deleter<PangoFontDescription, pango_font_description_free>>;

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

PixbufPtr LoadPixbuf(const std::string& path, std::string* error) {
    GError* failure = nullptr;
    GdkPixbuf* loaded = gdk_pixbuf_new_from_file(path.c_str(), &failure);
    if (!loaded) {
        SetError(error, "cannot read the image " + path + ": " +
                            (failure ? failure->message : "unknown format"));
        if (failure)
            g_error_free(failure);
        return nullptr;
    }
    // Pictures with an orientation tag are shown upright, as browsers show them.
    GdkPixbuf* upright = gdk_pixbuf_apply_embedded_orientation(loaded);
    g_object_unref(loaded);
    return PixbufPtr(upright);
}

// A Cairo image (premultiplied ARGB) holding the pixbuf's pixels.
SurfacePtr ToSurface(GdkPixbuf* pixbuf) {
    const int width = gdk_pixbuf_get_width(pixbuf);
    const int height = gdk_pixbuf_get_height(pixbuf);
    const int channels = gdk_pixbuf_get_n_channels(pixbuf);
    const int stride = gdk_pixbuf_get_rowstride(pixbuf);
    const guchar* pixels = gdk_pixbuf_read_pixels(pixbuf);
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    cairo_surface_flush(surface.get());
    unsigned char* target = cairo_image_surface_get_data(surface.get());
    const int targetStride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < height; ++y) {
        const guchar* in = pixels + static_cast<std::size_t>(y) * stride;
        auto* out =
            reinterpret_cast<std::uint32_t*>(target + static_cast<std::size_t>(y) * targetStride);
        for (int x = 0; x < width; ++x, in += channels) {
            std::uint32_t a = channels == 4 ? in[3] : 255;
            auto premultiply = [a](std::uint32_t c) { return (c * a + 127) / 255; };
            out[x] = (a << 24) | (premultiply(in[0]) << 16) | (premultiply(in[1]) << 8) |
                     premultiply(in[2]);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

void SetColour(cairo_t* cr, std::uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0,
                         (rgb & 255) / 255.0);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::optional<ImageSize> ReadImageSize(const std::string& path, std::string* error) {
    PixbufPtr pixbuf = LoadPixbuf(path, error);
    if (!pixbuf)
        return std::nullopt;
    return ImageSize{gdk_pixbuf_get_width(pixbuf.get()), gdk_pixbuf_get_height(pixbuf.get())};
}

std::optional<std::string> EncodeJpeg(const std::string& sourcePath, int quality,
                                      std::string* error) {
    PixbufPtr pixbuf = LoadPixbuf(sourcePath, error);
    if (!pixbuf)
        return std::nullopt;
    const int width = gdk_pixbuf_get_width(pixbuf.get());
    const int height = gdk_pixbuf_get_height(pixbuf.get());
    if (gdk_pixbuf_get_has_alpha(pixbuf.get())) {
        // JPEG has no transparency: the picture is laid on white.
        GdkPixbuf* flat = gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, width, height);
        if (!flat) {
            SetError(error, "out of memory");
            return std::nullopt;
        }
        gdk_pixbuf_fill(flat, 0xFFFFFFFFu);
        gdk_pixbuf_composite(pixbuf.get(), flat, 0, 0, width, height, 0, 0, 1, 1,
                             GDK_INTERP_NEAREST, 255);
        pixbuf.reset(flat);
    }
    const std::string q = std::to_string(std::clamp(quality, 1, 100));
    gchar* buffer = nullptr;
    gsize size = 0;
    GError* failure = nullptr;
    if (!gdk_pixbuf_save_to_buffer(pixbuf.get(), &buffer, &size, "jpeg", &failure, "quality",
                                   q.c_str(), nullptr)) {
        SetError(error, std::string("cannot encode JPEG: ") + (failure ? failure->message : ""));
        if (failure)
            g_error_free(failure);
        return std::nullopt;
    }
    std::string bytes(buffer, size);
    g_free(buffer);
    return bytes;
}

std::optional<std::string>
DrawStillFramePng(const StillFrame& frame, const HeadlineTopRule& headlineTop, std::string* error) {
    if (frame.width <= 0 || frame.height <= 0 || frame.width > 8191 || frame.height > 8191) {
        SetError(error, "the banner size is out of range");
        return std::nullopt;
    }
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, frame.width, frame.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        SetError(error, "cannot make a picture of that size");
        return std::nullopt;
    }
    CairoPtr cr(cairo_create(surface.get()));
    SetColour(cr.get(), frame.background);
    cairo_paint(cr.get());

    if (!frame.imagePath.empty() && frame.imageWidth > 0 && frame.imageHeight > 0) {
        PixbufPtr pixbuf = LoadPixbuf(frame.imagePath, nullptr);
        SurfacePtr picture = pixbuf ? ToSurface(pixbuf.get()) : nullptr;
        if (picture) {
            const double sx = frame.imageWidth / gdk_pixbuf_get_width(pixbuf.get());
            const double sy = frame.imageHeight / gdk_pixbuf_get_height(pixbuf.get());
            cairo_save(cr.get());
            cairo_rectangle(cr.get(), frame.imageX, frame.imageY, frame.imageWidth,
                            frame.imageHeight);
            cairo_clip(cr.get());
            cairo_translate(cr.get(), frame.imageX, frame.imageY);
            cairo_scale(cr.get(), sx, sy);
            cairo_set_source_surface(cr.get(), picture.get(), 0, 0);
            // Edge pixels continue outwards rather than fading to transparent.
            cairo_pattern_set_extend(cairo_get_source(cr.get()), CAIRO_EXTEND_PAD);
            cairo_pattern_set_filter(cairo_get_source(cr.get()), CAIRO_FILTER_GOOD);
            cairo_paint(cr.get());
            cairo_restore(cr.get());
        }
    }

    if (!frame.headline.empty() && headlineTop) {
        LayoutPtr layout(pango_cairo_create_layout(cr.get()));
        FontPtr font(pango_font_description_from_string("Sans"));
        pango_font_description_set_weight(font.get(),
                                          frame.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
        pango_font_description_set_absolute_size(font.get(), frame.fontPixels * PANGO_SCALE);
        pango_layout_set_font_description(layout.get(), font.get());
        const double textWidth = std::max(1.0, frame.headlineWidth - 2 * frame.textGutter);
        pango_layout_set_width(layout.get(), static_cast<int>(textWidth * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
        pango_layout_set_alignment(layout.get(), frame.align == TextAlign::Left ? PANGO_ALIGN_LEFT
                                                 : frame.align == TextAlign::Right
                                                     ? PANGO_ALIGN_RIGHT
                                                     : PANGO_ALIGN_CENTER);
        pango_layout_set_text(layout.get(), frame.headline.c_str(),
                              static_cast<int>(frame.headline.size()));
        int textPixelsWide = 0, textPixelsHigh = 0;
        pango_layout_get_pixel_size(layout.get(), &textPixelsWide, &textPixelsHigh);
        const double top = headlineTop(textPixelsHigh + 2 * frame.textGutter);
        SetColour(cr.get(), frame.headlineColour);
        cairo_move_to(cr.get(), frame.headlineX + frame.textGutter, top + frame.textGutter);
        pango_cairo_show_layout(cr.get(), layout.get());
    }

    cairo_surface_flush(surface.get());
    std::string png;
    if (cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &png) !=
        CAIRO_STATUS_SUCCESS) {
        SetError(error, "cannot encode PNG");
        return std::nullopt;
    }
    return png;
}

} // namespace pennoria::platform
