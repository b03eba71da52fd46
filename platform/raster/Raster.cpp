// Pictures for publishing with Cairo (drawing, PNG), Pango (text) and gdk-pixbuf (loading and
// JPEG encoding). Needs no display and no GTK.
#include "platform/Raster.h"

#include "platform/FileSystem.h"
#include "platform/PictureHeader.h"

#include <cairo.h>
#include <fontconfig/fontconfig.h>
#include <gdk-pixbuf/gdk-pixbuf.h>
#include <pango/pangocairo.h>
#include <pango/pangofc-fontmap.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

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

// The largest picture file read.
constexpr std::uint64_t kMaxPictureFileBytes = std::uint64_t{512} << 20;

void OnSizePrepared(GdkPixbufLoader* loader, gint width, gint height, gpointer tooLarge) {
    if (!WithinPictureBudget(static_cast<std::uint64_t>(std::max(width, 0)),
                             static_cast<std::uint64_t>(std::max(height, 0)))) {
        *static_cast<bool*>(tooLarge) = true;
        // The decoder then makes room for one pixel; the rest of the file is not given to it.
        gdk_pixbuf_loader_set_size(loader, 1, 1);
    }
}

PixbufPtr LoadPixbuf(const std::string& path, std::string* error) {
    auto bytes = ReadWholeFile(path, error, kMaxPictureFileBytes);
    if (!bytes)
        return nullptr;
    // The header's size is checked first; the decoder checks the size it reads itself before it
    // allocates, for formats and headers this reader does not know.
    const auto header = ReadPictureHeader(*bytes);
    if (header && !WithinPictureBudget(header->width, header->height)) {
        SetError(error, "the image " + path + " is " + DescribePictureSize(*header) +
                            " pixels, beyond the pixel budget");
        return nullptr;
    }
    std::unique_ptr<GdkPixbufLoader, ObjectDeleter> loader(gdk_pixbuf_loader_new());
    bool tooLarge = false;
    g_signal_connect(loader.get(), "size-prepared", G_CALLBACK(OnSizePrepared), &tooLarge);
    GError* failure = nullptr;
    constexpr std::size_t kChunk = 64 * 1024;
    bool written = true;
    for (std::size_t at = 0; written && !tooLarge && at < bytes->size(); at += kChunk)
        written = gdk_pixbuf_loader_write(loader.get(),
                                          reinterpret_cast<const guchar*>(bytes->data()) + at,
                                          std::min(kChunk, bytes->size() - at), &failure);
    const bool closed = gdk_pixbuf_loader_close(loader.get(), written ? &failure : nullptr);
    GdkPixbuf* loaded =
        written && closed && !tooLarge ? gdk_pixbuf_loader_get_pixbuf(loader.get()) : nullptr;
    if (!loaded) {
        SetError(error, "cannot read the image " + path + ": " +
                            (tooLarge  ? std::string("beyond the pixel budget")
                             : failure ? std::string(failure->message)
                                       : std::string("unknown format")));
        if (failure)
            g_error_free(failure);
        return nullptr;
    }
    if (failure)
        g_error_free(failure);
    // Pictures with an orientation tag are shown upright, as browsers show them.
    return PixbufPtr(gdk_pixbuf_apply_embedded_orientation(loaded));
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

// The font map text is laid out with: the system's (null) or one that also has the program's
// faces. It lives as long as the process.
struct FontFolderMap {
    std::string folder;
    PangoFontMap* map = nullptr;
};
FontFolderMap& CurrentFonts() {
    static FontFolderMap fonts;
    return fonts;
}

LayoutPtr MakeLayout(cairo_t* cr, bool unhinted) {
    PangoFontMap* map = CurrentFonts().map;
    PangoContext* context =
        pango_font_map_create_context(map ? map : pango_cairo_font_map_get_default());
    if (unhinted) {
        // Glyphs advance by their design widths, as in a browser, so that lines break alike.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
    }
    pango_cairo_update_context(cr, context);
    LayoutPtr layout(pango_layout_new(context));
    g_object_unref(context);
    return layout;
}

void RoundedBoxPath(cairo_t* cr, double x, double y, double width, double height, double radius) {
    const double r = std::clamp(radius, 0.0, std::min(width, height) / 2);
    cairo_new_path(cr);
    if (r <= 0) {
        cairo_rectangle(cr, x, y, width, height);
        return;
    }
    const double pi = 3.14159265358979323846;
    cairo_arc(cr, x + width - r, y + r, r, -pi / 2, 0);
    cairo_arc(cr, x + width - r, y + height - r, r, 0, pi / 2);
    cairo_arc(cr, x + r, y + height - r, r, pi / 2, pi);
    cairo_arc(cr, x + r, y + r, r, pi, 3 * pi / 2);
    cairo_close_path(cr);
}

void EllipsePath(cairo_t* cr, double x, double y, double width, double height) {
    cairo_new_path(cr);
    cairo_save(cr);
    cairo_translate(cr, x + width / 2, y + height / 2);
    cairo_scale(cr, width / 2, height / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * 3.14159265358979323846);
    cairo_restore(cr);
}

// Fills and strokes the current path.
void PaintPath(cairo_t* cr, const StillElement& element) {
    if (element.fill) {
        SetColour(cr, *element.fill);
        cairo_fill_preserve(cr);
    }
    if (element.stroke && element.strokeWidth > 0) {
        SetColour(cr, *element.stroke);
        cairo_set_line_width(cr, element.strokeWidth);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

void DrawPicture(cairo_t* cr, const StillElement& element) {
    PixbufPtr pixbuf = LoadPixbuf(element.imagePath, nullptr);
    SurfacePtr picture = pixbuf ? ToSurface(pixbuf.get()) : nullptr;
    if (!picture)
        return;
    const double iw = gdk_pixbuf_get_width(pixbuf.get());
    const double ih = gdk_pixbuf_get_height(pixbuf.get());
    double sx = element.width / iw, sy = element.height / ih;
    if (element.fit == PictureFit::Contain)
        sx = sy = std::min(sx, sy);
    else if (element.fit == PictureFit::Cover)
        sx = sy = std::max(sx, sy);
    const double w = iw * sx, h = ih * sy;
    const double left = element.x + (element.width - w) / 2;
    const double top = element.y + (element.height - h) / 2;
    cairo_save(cr);
    cairo_rectangle(cr, element.x, element.y, element.width, element.height);
    cairo_clip(cr);
    cairo_rectangle(cr, left, top, w, h);
    cairo_clip(cr);
    cairo_translate(cr, left, top);
    cairo_scale(cr, sx, sy);
    cairo_set_source_surface(cr, picture.get(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

// One pass of a box blur of the given width along the rows or the columns of a width x height
// buffer; values beyond the buffer count as zero. Both walk the buffer row by row.
void BoxBlurPass(std::vector<float>& values, int width, int height, int box, bool rows) {
    const int before = box / 2, after = box - before - 1;
    if (rows) {
        std::vector<float> line(static_cast<std::size_t>(width));
        for (int y = 0; y < height; ++y) {
            float* row = values.data() + static_cast<std::size_t>(y) * width;
            double sum = 0;
            for (int i = 0; i <= after && i < width; ++i)
                sum += row[i];
            for (int i = 0; i < width; ++i) {
                line[static_cast<std::size_t>(i)] = static_cast<float>(sum / box);
                const int leaving = i - before, entering = i + after + 1;
                if (leaving >= 0)
                    sum -= row[leaving];
                if (entering < width)
                    sum += row[entering];
            }
            std::copy(line.begin(), line.end(), row);
        }
        return;
    }
    // Columns: one running sum per column, moved down a row at a time.
    std::vector<double> sums(static_cast<std::size_t>(width), 0.0);
    std::vector<float> out(values.size());
    auto rowAt = [&](int y) { return values.data() + static_cast<std::size_t>(y) * width; };
    for (int y = 0; y <= after && y < height; ++y)
        for (int x = 0; x < width; ++x)
            sums[static_cast<std::size_t>(x)] += rowAt(y)[x];
    for (int y = 0; y < height; ++y) {
        float* target = out.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x)
            target[x] = static_cast<float>(sums[static_cast<std::size_t>(x)] / box);
        const int leaving = y - before, entering = y + after + 1;
        if (leaving >= 0)
            for (int x = 0; x < width; ++x)
                sums[static_cast<std::size_t>(x)] -= rowAt(leaving)[x];
        if (entering < height)
            for (int x = 0; x < width; ++x)
                sums[static_cast<std::size_t>(x)] += rowAt(entering)[x];
    }
    values.swap(out);
}

// Blurs an alpha-only image as a Gaussian of deviation sigma, with three box blurs each way.
// Only the part that can change is worked on: the box around the non-zero pixels, widened by
// how far three passes spread them. The cost follows the ink, not the size of the surface.
void BlurAlpha(cairo_surface_t* surface, double sigma) {
    const int box =
        static_cast<int>(std::floor(sigma * 3 * std::sqrt(2 * 3.14159265358979) / 4 + 0.5));
    if (box < 2 || cairo_surface_get_type(surface) != CAIRO_SURFACE_TYPE_IMAGE ||
        cairo_image_surface_get_format(surface) != CAIRO_FORMAT_A8)
        return;
    cairo_surface_flush(surface);
    const int width = cairo_image_surface_get_width(surface);
    const int height = cairo_image_surface_get_height(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    int left = width, right = -1, top = height, bottom = -1;
    for (int y = 0; y < height; ++y) {
        const unsigned char* row = data + static_cast<std::size_t>(y) * stride;
        for (int x = 0; x < width; ++x)
            if (row[x]) {
                left = std::min(left, x);
                right = std::max(right, x);
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
    }
    if (right < 0)
        return;
    const int margin = 3 * box;
    left = std::max(0, left - margin);
    top = std::max(0, top - margin);
    right = std::min(width - 1, right + margin);
    bottom = std::min(height - 1, bottom + margin);
    const int w = right - left + 1, h = bottom - top + 1;
    std::vector<float> values(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            values[static_cast<std::size_t>(y) * w + x] =
                data[static_cast<std::size_t>(top + y) * stride + left + x];
    for (int pass = 0; pass < 3; ++pass) {
        BoxBlurPass(values, w, h, box, true);
        BoxBlurPass(values, w, h, box, false);
    }
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            data[static_cast<std::size_t>(top + y) * stride + left + x] =
                static_cast<unsigned char>(
                    std::clamp(values[static_cast<std::size_t>(y) * w + x] + 0.5f, 0.0f, 255.0f));
    cairo_surface_mark_dirty(surface);
}

// Lays the text out: a text's wrapped to its box's width, a button's lines as they are.
LayoutPtr TextLayout(cairo_t* cr, const StillElement& element) {
    LayoutPtr layout = MakeLayout(cr, true);
    FontPtr font(pango_font_description_new());
    pango_font_description_set_family(font.get(), element.family.c_str());
    pango_font_description_set_weight(font.get(),
                                      element.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(font.get(),
                                     element.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(font.get(), element.fontPixels * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font.get());
    if (element.kind == StillElement::Kind::Text) {
        pango_layout_set_width(layout.get(), static_cast<int>(element.width * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_alignment(layout.get(), element.align == TextAlign::Left ? PANGO_ALIGN_LEFT
                                             : element.align == TextAlign::Right
                                                 ? PANGO_ALIGN_RIGHT
                                                 : PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout.get(), element.text.c_str(),
                          static_cast<int>(element.text.size()));
    return layout;
}

// Draws the layout's lines with their left edge at x, the first line box's top at top; each
// line box is lineBox high with the glyphs centred in it, as a web page sets text, or with no
// line box (0) where the font's own spacing puts them.
void ShowLines(cairo_t* cr, PangoLayout* layout, double x, double top, double lineBox) {
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int index = 0;
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        PangoRectangle placed, own;
        pango_layout_iter_get_line_extents(iter, nullptr, &placed);
        pango_layout_line_get_extents(line, nullptr, &own);
        const double baseline =
            static_cast<double>(pango_layout_iter_get_baseline(iter)) / PANGO_SCALE;
        double y = top + baseline;
        if (lineBox > 0) {
            const double ascent = baseline - static_cast<double>(placed.y) / PANGO_SCALE;
            const double height = static_cast<double>(placed.height) / PANGO_SCALE;
            y = top + index * lineBox + (lineBox - height) / 2 + ascent;
        }
        cairo_move_to(cr, x + static_cast<double>(placed.x - own.x) / PANGO_SCALE, y);
        pango_cairo_show_layout_line(cr, line);
        ++index;
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

// Draws a text's or a button's label, with its shadow under it.
void DrawText(cairo_t* cr, const StillElement& element) {
    LayoutPtr layout = TextLayout(cr, element);
    const double lineBox = element.lineHeight * element.fontPixels;
    int wide = 0, high = 0;
    pango_layout_get_pixel_size(layout.get(), &wide, &high);
    const double tall = lineBox > 0 ? lineBox * pango_layout_get_line_count(layout.get()) : high;
    double left = element.x, top = element.y;
    if (element.kind == StillElement::Kind::Button) {
        left = element.x + (element.width - wide) / 2;
        top = element.y + (element.height - tall) / 2;
    }
    if (element.shadowColour) {
        const double spread = std::ceil(element.shadowBlur * 3) + 1;
        cairo_save(cr);
        cairo_rectangle(cr, std::min(left, element.x) + element.shadowX - spread,
                        top + element.shadowY - spread,
                        std::max<double>(element.width, wide) + 2 * spread,
                        std::max<double>(high, tall) + 2 * spread);
        cairo_clip(cr);
        cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
        cairo_set_source_rgb(cr, 0, 0, 0);
        ShowLines(cr, layout.get(), left + element.shadowX, top + element.shadowY, lineBox);
        cairo_pattern_t* shadow = cairo_pop_group(cr);
        cairo_surface_t* mask = nullptr;
        if (cairo_pattern_get_surface(shadow, &mask) == CAIRO_STATUS_SUCCESS)
            BlurAlpha(mask, element.shadowBlur / 2);
        SetColour(cr, *element.shadowColour);
        cairo_mask(cr, shadow);
        cairo_pattern_destroy(shadow);
        cairo_restore(cr);
    }
    SetColour(cr, element.colour);
    ShowLines(cr, layout.get(), left, top, lineBox);
}

void DrawElement(cairo_t* cr, const StillElement& element) {
    if (element.opacity <= 0 || element.scale <= 0 || element.width <= 0 || element.height <= 0)
        return;
    cairo_save(cr);
    const double cx = element.x + element.width / 2, cy = element.y + element.height / 2;
    cairo_translate(cr, cx, cy);
    cairo_scale(cr, element.scale, element.scale);
    cairo_translate(cr, -cx, -cy);
    const bool translucent = element.opacity < 1;
    if (translucent)
        cairo_push_group(cr);
    switch (element.kind) {
    case StillElement::Kind::Picture:
        DrawPicture(cr, element);
        break;
    case StillElement::Kind::Rectangle:
        RoundedBoxPath(cr, element.x, element.y, element.width, element.height, element.radius);
        PaintPath(cr, element);
        break;
    case StillElement::Kind::Ellipse:
        EllipsePath(cr, element.x, element.y, element.width, element.height);
        PaintPath(cr, element);
        break;
    case StillElement::Kind::Text:
        if (!element.text.empty())
            DrawText(cr, element);
        break;
    case StillElement::Kind::Button:
        RoundedBoxPath(cr, element.x, element.y, element.width, element.height, element.radius);
        PaintPath(cr, element);
        if (!element.text.empty())
            DrawText(cr, element);
        break;
    }
    if (translucent) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, element.opacity);
    }
    cairo_restore(cr);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

void UseFontFolder(const std::string& folder) {
    FontFolderMap& fonts = CurrentFonts();
    if (fonts.map && fonts.folder == folder)
        return;
    if (fonts.map)
        g_object_unref(fonts.map);
    fonts.map = nullptr;
    fonts.folder = folder;
    if (folder.empty() || !g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR))
        return;
    // A configuration of its own: the system's fonts and the folder's, which the rest of the
    // process (a desktop window's text) never sees.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config)
        return;
    if (FcConfigAppFontAddDir(config, reinterpret_cast<const FcChar8*>(folder.c_str()))) {
        fonts.map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        if (fonts.map)
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fonts.map), config);
    }
    FcConfigDestroy(config);
}

std::optional<ImageSize> ReadImageSize(const std::string& path, std::string* error) {
    auto bytes = ReadWholeFile(path, error, kMaxPictureFileBytes);
    if (!bytes)
        return std::nullopt;
    const auto header = ReadPictureHeader(*bytes);
    if (!header) {
        SetError(error, "cannot read the size of the image " + path);
        return std::nullopt;
    }
    // As the picture is drawn: upright.
    return ImageSize{static_cast<int>(UprightWidth(*header)),
                     static_cast<int>(UprightHeight(*header))};
}

namespace {

std::optional<std::string> SavePixbuf(GdkPixbuf* pixbuf, const char* type, const char* key,
                                      const char* value, std::string* error) {
    gchar* buffer = nullptr;
    gsize size = 0;
    GError* failure = nullptr;
    if (!gdk_pixbuf_save_to_buffer(pixbuf, &buffer, &size, type, &failure, key, value, nullptr)) {
        SetError(error,
                 std::string("cannot encode ") + type + ": " + (failure ? failure->message : ""));
        if (failure)
            g_error_free(failure);
        return std::nullopt;
    }
    std::string bytes(buffer, size);
    g_free(buffer);
    return bytes;
}

} // namespace

struct DecodedPicture::Pixels {
    PixbufPtr pixbuf;
};

DecodedPicture::DecodedPicture(std::shared_ptr<Pixels> pixels) : m_pixels(std::move(pixels)) {}
DecodedPicture::~DecodedPicture() = default;
DecodedPicture::DecodedPicture(const DecodedPicture&) = default;
DecodedPicture& DecodedPicture::operator=(const DecodedPicture&) = default;

std::optional<DecodedPicture> DecodedPicture::Load(const std::string& path, std::string* error) {
    PixbufPtr pixbuf = LoadPixbuf(path, error);
    if (!pixbuf)
        return std::nullopt;
    return DecodedPicture(std::make_shared<Pixels>(Pixels{std::move(pixbuf)}));
}

ImageSize DecodedPicture::Size() const {
    return {gdk_pixbuf_get_width(m_pixels->pixbuf.get()),
            gdk_pixbuf_get_height(m_pixels->pixbuf.get())};
}

bool DecodedPicture::HasAlpha() const {
    return gdk_pixbuf_get_has_alpha(m_pixels->pixbuf.get());
}

std::optional<DecodedPicture> DecodedPicture::Scaled(int width, int height) const {
    const ImageSize size = Size();
    width = std::clamp(width, 1, size.width);
    height = std::clamp(height, 1, size.height);
    if (width == size.width && height == size.height)
        return *this;
    // Each output pixel averages the input pixels under it (a box filter), as a reduction needs.
    PixbufPtr scaled(
        gdk_pixbuf_scale_simple(m_pixels->pixbuf.get(), width, height, GDK_INTERP_TILES));
    if (!scaled)
        return std::nullopt;
    return DecodedPicture(std::make_shared<Pixels>(Pixels{std::move(scaled)}));
}

std::optional<std::string> DecodedPicture::Jpeg(int quality, std::string* error) const {
    GdkPixbuf* pixbuf = m_pixels->pixbuf.get();
    PixbufPtr flat;
    if (gdk_pixbuf_get_has_alpha(pixbuf)) {
        // JPEG has no transparency: the picture is laid on white.
        const ImageSize size = Size();
        flat.reset(gdk_pixbuf_new(GDK_COLORSPACE_RGB, FALSE, 8, size.width, size.height));
        if (!flat) {
            SetError(error, "out of memory");
            return std::nullopt;
        }
        gdk_pixbuf_fill(flat.get(), 0xFFFFFFFFu);
        gdk_pixbuf_composite(pixbuf, flat.get(), 0, 0, size.width, size.height, 0, 0, 1, 1,
                             GDK_INTERP_NEAREST, 255);
        pixbuf = flat.get();
    }
    const std::string q = std::to_string(std::clamp(quality, 1, 100));
    return SavePixbuf(pixbuf, "jpeg", "quality", q.c_str(), error);
}

std::optional<std::string> DecodedPicture::Png(std::string* error) const {
    return SavePixbuf(m_pixels->pixbuf.get(), "png", "compression", "9", error);
}

std::optional<std::string> EncodeJpeg(const std::string& sourcePath, int quality,
                                      std::string* error) {
    auto picture = DecodedPicture::Load(sourcePath, error);
    if (!picture)
        return std::nullopt;
    return picture->Jpeg(quality, error);
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

    for (const StillElement& element : frame.elements)
        DrawElement(cr.get(), element);

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
