#include "platform/RasterEncode.h"

#include <cairo.h>
#include <gdk-pixbuf/gdk-pixbuf.h>

#include <algorithm>
#include <vector>

namespace pennoria::platform {
namespace {

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

bool SizeFits(int width, int height, std::string* error) {
    if (width <= 0 || height <= 0 || width > 32767 || height > 32767) {
        SetError(error, "picture size out of range");
        return false;
    }
    return true;
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

std::optional<std::string> EncodeArgbPng(const std::uint32_t* pixels, int width, int height,
                                         std::string* error) {
    if (!SizeFits(width, height, error))
        return std::nullopt;
    // Cairo's ARGB32 is exactly these words; a copy keeps the caller's pixels const.
    std::vector<std::uint32_t> copy(pixels, pixels + static_cast<std::size_t>(width) * height);
    cairo_surface_t* surface =
        cairo_image_surface_create_for_data(reinterpret_cast<unsigned char*>(copy.data()),
                                            CAIRO_FORMAT_ARGB32, width, height, width * 4);
    std::string png;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, AppendBytes, &png);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        SetError(error, std::string("PNG: ") + cairo_status_to_string(status));
        return std::nullopt;
    }
    return png;
}

std::optional<std::string> EncodeArgbJpeg(const std::uint32_t* pixels, int width, int height,
                                          int quality, std::string* error) {
    if (!SizeFits(width, height, error))
        return std::nullopt;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    auto* rgb = static_cast<guchar*>(g_malloc(count * 3));
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t p = pixels[i];
        const unsigned white = 255 - (p >> 24);
        rgb[i * 3] = static_cast<guchar>(std::min(255u, ((p >> 16) & 0xFF) + white));
        rgb[i * 3 + 1] = static_cast<guchar>(std::min(255u, ((p >> 8) & 0xFF) + white));
        rgb[i * 3 + 2] = static_cast<guchar>(std::min(255u, (p & 0xFF) + white));
    }
    GdkPixbuf* pixbuf = gdk_pixbuf_new_from_data(
        rgb, GDK_COLORSPACE_RGB, FALSE, 8, width, height, width * 3,
        [](guchar* data, gpointer) { g_free(data); }, nullptr);
    gchar* buffer = nullptr;
    gsize size = 0;
    GError* failure = nullptr;
    const std::string q = std::to_string(std::clamp(quality, 1, 100));
    const gboolean saved = gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, "jpeg", &failure,
                                                     "quality", q.c_str(), nullptr);
    g_object_unref(pixbuf);
    if (!saved) {
        SetError(error, std::string("JPEG: ") + (failure ? failure->message : "not written"));
        if (failure)
            g_error_free(failure);
        return std::nullopt;
    }
    std::string jpeg(buffer, size);
    g_free(buffer);
    return jpeg;
}

} // namespace pennoria::platform
