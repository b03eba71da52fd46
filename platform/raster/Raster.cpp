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
#include <cstdint>
#include <cstring>
#include <map>
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

// The layout's font's ascent and descent in whole pixels and its normal line height (the two
// and the line gap, each rounded), as a web page rounds them to place text.
struct LineMetrics {
    double ascent = 0, descent = 0, normal = 0;
};

// The font map text is laid out with: the system's (null) or one that also has the program's
// faces. Each thread has its own, as Pango's font maps are not shared between threads.
struct FontFolderMap {
    std::string folder;
    PangoFontMap* map = nullptr;
    // The line metrics of each font as laid out with this map (see FontLineMetrics): Pango
    // measures a font's metrics by shaping sample text, which cost more than the rest of a text's
    // layout when every text of a banner asked again.
    std::map<std::string, LineMetrics> lineMetrics;
    FontFolderMap() = default;
    FontFolderMap(const FontFolderMap&) = delete;
    FontFolderMap& operator=(const FontFolderMap&) = delete;
    ~FontFolderMap() {
        if (map)
            g_object_unref(map);
    }
};
FontFolderMap& CurrentFonts() {
    thread_local FontFolderMap fonts;
    return fonts;
}

LayoutPtr MakeLayout(cairo_t* cr, bool unhinted) {
    PangoFontMap* map = CurrentFonts().map;
    PangoContext* context =
        pango_font_map_create_context(map ? map : pango_cairo_font_map_get_default());
    if (unhinted) {
        // Glyphs advance by their design widths, unrounded, as in a browser, so that lines break
        // and centre alike; outlines get the slight (vertical only) hinting a browser on this
        // desktop gives them, which keeps letter edges where the browser puts them.
        cairo_font_options_t* options = cairo_font_options_create();
        cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
        pango_cairo_context_set_font_options(context, options);
        cairo_font_options_destroy(options);
        pango_context_set_round_glyph_positions(context, FALSE);
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

LineMetrics FontLineMetrics(PangoLayout* layout) {
    LineMetrics line;
    const PangoFontDescription* font = pango_layout_get_font_description(layout);
    PangoContext* context = pango_layout_get_context(layout);
    // Measured once for each font, transformation and set of font options of the context.
    std::string key;
    if (char* name = font ? pango_font_description_to_string(font) : nullptr) {
        key = name;
        g_free(name);
    }
    if (const PangoMatrix* matrix = pango_context_get_matrix(context))
        for (double value :
             {matrix->xx, matrix->xy, matrix->yx, matrix->yy, matrix->x0, matrix->y0})
            key += ' ' + std::to_string(value);
    if (const cairo_font_options_t* options = pango_cairo_context_get_font_options(context))
        key += ' ' + std::to_string(cairo_font_options_hash(options));
    key += pango_context_get_round_glyph_positions(context) ? " round " : " exact ";
    // Languages are interned: one pointer each.
    key += std::to_string(reinterpret_cast<std::uintptr_t>(pango_context_get_language(context)));
    std::map<std::string, LineMetrics>& known = CurrentFonts().lineMetrics;
    if (auto found = known.find(key); found != known.end())
        return found->second;
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    if (!metrics)
        return line;
    const double ascent = static_cast<double>(pango_font_metrics_get_ascent(metrics)) / PANGO_SCALE;
    const double descent =
        static_cast<double>(pango_font_metrics_get_descent(metrics)) / PANGO_SCALE;
    const double height = static_cast<double>(pango_font_metrics_get_height(metrics)) / PANGO_SCALE;
    pango_font_metrics_unref(metrics);
    line.ascent = std::round(ascent);
    line.descent = std::round(descent);
    line.normal = line.ascent + line.descent + std::round(std::max(0.0, height - ascent - descent));
    known.emplace(std::move(key), line);
    return line;
}

// Where each line of a layout starts: where Pango put it in the layout's width, or, for lines
// set as they are (never broken again), by the line's own width in room as a page's physical
// text-align puts it, whatever direction the line runs in.
struct LinePlacement {
    bool own = false;
    double room = 0;
    TextAlign align = TextAlign::Left;
};

// Draws the layout's lines with their left edge at x, the first line box's top at top; each
// line box is lineBox high with the glyphs' ascent and descent centred in it (the half leading
// rounded down), as a web page sets text. Each line's base direction is that of its first
// strong character (Pango's automatic direction, a page's unicode-bidi: plaintext).
void ShowLines(cairo_t* cr, PangoLayout* layout, double x, double top, double lineBox,
               const LineMetrics& metrics, const LinePlacement& placement) {
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    int index = 0;
    const double baseline =
        std::floor((lineBox - metrics.ascent - metrics.descent) / 2) + metrics.ascent;
    do {
        PangoLayoutLine* line = pango_layout_iter_get_line_readonly(iter);
        PangoRectangle placed, own;
        pango_layout_iter_get_line_extents(iter, nullptr, &placed);
        pango_layout_line_get_extents(line, nullptr, &own);
        double lineX = x + static_cast<double>(placed.x - own.x) / PANGO_SCALE;
        if (placement.own) {
            const double wide = static_cast<double>(own.width) / PANGO_SCALE;
            const double room = placement.room - wide;
            lineX = x - static_cast<double>(own.x) / PANGO_SCALE +
                    (placement.align == TextAlign::Left    ? 0
                     : placement.align == TextAlign::Right ? room
                                                           : room / 2);
        }
        // The outlines are filled where they fall: the glyph cache would put each glyph on a
        // whole pixel, which moves letters' edges by up to half a pixel from a browser's.
        cairo_new_path(cr);
        cairo_move_to(cr, lineX, std::floor(top + index * lineBox + baseline + 0.5));
        pango_cairo_layout_line_path(cr, line);
        cairo_fill(cr);
        ++index;
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
}

cairo_status_t AppendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

} // namespace

void UseFontFolder(const std::string& folder) {
    UseFontFiles(folder, {});
}

void UseFontFiles(const std::string& folder, const std::vector<std::string>& files) {
    FontFolderMap& fonts = CurrentFonts();
    std::string key = folder;
    for (const std::string& file : files)
        key += '\n' + file;
    if (fonts.map && fonts.folder == key)
        return;
    if (fonts.map)
        g_object_unref(fonts.map);
    fonts.map = nullptr;
    fonts.folder = key;
    fonts.lineMetrics.clear();
    const bool withFolder = !folder.empty() && g_file_test(folder.c_str(), G_FILE_TEST_IS_DIR);
    if (!withFolder && files.empty())
        return;
    // A configuration of its own: the system's fonts, the folder's and the files', which the
    // rest of the process (a desktop window's text) never sees.
    FcConfig* config = FcInitLoadConfigAndFonts();
    if (!config)
        return;
    bool added = withFolder &&
                 FcConfigAppFontAddDir(config, reinterpret_cast<const FcChar8*>(folder.c_str()));
    for (const std::string& file : files)
        if (g_file_test(file.c_str(), G_FILE_TEST_IS_REGULAR) &&
            FcConfigAppFontAddFile(config, reinterpret_cast<const FcChar8*>(file.c_str())))
            added = true;
    if (added) {
        fonts.map = pango_cairo_font_map_new_for_font_type(CAIRO_FONT_TYPE_FT);
        if (fonts.map)
            pango_fc_font_map_set_config(PANGO_FC_FONT_MAP(fonts.map), config);
    }
    FcConfigDestroy(config);
}

std::optional<SystemFace> FindSystemFace(const std::string& family, bool bold, bool italic,
                                         const std::string& text) {
    if (family.empty() || !FcInit())
        return std::nullopt;
    FcCharSet* wanted = FcCharSetCreate();
    for (const char* at = text.c_str(); *at;) {
        const gunichar c = g_utf8_get_char_validated(at, -1);
        if (c == static_cast<gunichar>(-1) || c == static_cast<gunichar>(-2))
            break;
        FcCharSetAddChar(wanted, c);
        at = g_utf8_next_char(at);
    }
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::optional<SystemFace> found;
    if (match) {
        // Fontconfig answers its nearest face even for a family it lacks: only the family itself
        // with some of the characters will do.
        bool named = false;
        FcChar8* name = nullptr;
        for (int i = 0; !named && FcPatternGetString(match, FC_FAMILY, i, &name) == FcResultMatch;
             ++i)
            named = FcStrCmpIgnoreCase(name, reinterpret_cast<const FcChar8*>(family.c_str())) == 0;
        FcCharSet* has = nullptr;
        FcChar8* file = nullptr;
        int index = 0;
        if (named && FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
            FcCharSetIntersectCount(has, wanted) > 0 &&
            FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch) {
            FcPatternGetInteger(match, FC_INDEX, 0, &index);
            found = SystemFace{reinterpret_cast<const char*>(file), index};
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    FcCharSetDestroy(wanted);
    return found;
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

} // namespace pennoria::platform

// --- Display lists -----------------------------------------------------------------------------

namespace pennoria::platform {

struct DisplayListPainter::Pictures {
    // A picture read once per path; a null surface for one that could not be read.
    std::map<std::string, SurfacePtr> byPath;

    cairo_surface_t* Get(const std::string& path) {
        auto found = byPath.find(path);
        if (found == byPath.end()) {
            PixbufPtr pixbuf = path.empty() ? nullptr : LoadPixbuf(path, nullptr);
            found = byPath.emplace(path, pixbuf ? ToSurface(pixbuf.get()) : nullptr).first;
        }
        return found->second.get();
    }
};

namespace {

void PaintOps(cairo_t* cr, const std::vector<DisplayOp>& ops,
              DisplayListPainter::Pictures& pictures, int depth);

void PaintShape(cairo_t* cr, const DisplayOp& op) {
    if (op.w <= 0 || op.h <= 0)
        return;
    if (op.kind == DisplayOp::Kind::Ellipse)
        EllipsePath(cr, op.x, op.y, op.w, op.h);
    else
        RoundedBoxPath(cr, op.x, op.y, op.w, op.h, op.radius);
    if (op.fill) {
        SetColour(cr, *op.fill);
        cairo_fill_preserve(cr);
    }
    if (op.stroke && op.strokeWidth > 0) {
        SetColour(cr, *op.stroke);
        cairo_set_line_width(cr, op.strokeWidth);
        cairo_stroke_preserve(cr);
    }
    cairo_new_path(cr);
}

void PaintPicture(cairo_t* cr, const DisplayOp& op, DisplayListPainter::Pictures& pictures) {
    const auto& [sx, sy, sw, sh] = op.source;
    if (op.w <= 0 || op.h <= 0 || sw <= 0 || sh <= 0)
        return;
    cairo_surface_t* picture = pictures.Get(op.path);
    if (!picture)
        return;
    cairo_save(cr);
    cairo_rectangle(cr, op.clip[0], op.clip[1], op.clip[2], op.clip[3]);
    cairo_clip(cr);
    cairo_rectangle(cr, op.x, op.y, op.w, op.h);
    cairo_clip(cr);
    cairo_translate(cr, op.x, op.y);
    cairo_scale(cr, op.w / sw, op.h / sh);
    cairo_translate(cr, -sx, -sy);
    cairo_set_source_surface(cr, picture, 0, 0);
    // Edge pixels continue outwards rather than fading to transparent.
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
}

LayoutPtr RunLayout(cairo_t* cr, const DisplayOp& op, const std::string& text) {
    LayoutPtr layout = MakeLayout(cr, true);
    FontPtr font(pango_font_description_new());
    // A page's generic sans-serif is Arial in browsers, which desktops without it map to its
    // metric twin; the bundled Liberation Sans stands for it, so the image sets such text as
    // a visitor's browser does rather than in whichever face this machine calls sans-serif.
    const std::string family = op.face == "sans-serif" ? "Liberation Sans,sans-serif" : op.face;
    pango_font_description_set_family(font.get(), family.c_str());
    pango_font_description_set_weight(font.get(),
                                      op.bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(font.get(),
                                     op.italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_font_description_set_absolute_size(font.get(), std::max(1.0, op.size) * PANGO_SCALE);
    pango_layout_set_font_description(layout.get(), font.get());
    // Lines set as they are are never broken again, as a page's white-space: pre keeps them.
    if (op.wrap && op.lines.empty()) {
        const double width = std::max(1.0, op.w - 2 * op.inset);
        pango_layout_set_width(layout.get(), static_cast<int>(width * PANGO_SCALE));
        pango_layout_set_wrap(layout.get(), PANGO_WRAP_WORD_CHAR);
    }
    pango_layout_set_alignment(layout.get(), op.align == TextAlign::Left    ? PANGO_ALIGN_LEFT
                                             : op.align == TextAlign::Right ? PANGO_ALIGN_RIGHT
                                                                            : PANGO_ALIGN_CENTER);
    pango_layout_set_text(layout.get(), text.c_str(), static_cast<int>(text.size()));
    if (!op.wrap || !op.lines.empty()) {
        // Texts and labels are set without kerning or optional ligatures, as the creative sets
        // them (font-kerning and font-variant-ligatures: none): the model measures advances
        // alone. What a script needs to be shaped at all (Arabic forms, marks) stays.
        PangoAttrList* attributes = pango_attr_list_new();
        pango_attr_list_insert(attributes, pango_attr_font_features_new(
                                               "kern 0, liga 0, clig 0, dlig 0, hlig 0, calt 0"));
        // Pango sets a space in the face of the letters around it, a browser (and the model's
        // measure) in the first face of the list that has it: a space between Devanagari or
        // Arabic words would come out wider than in the creative. A family of its own on each
        // run of spaces makes Pango choose their face afresh, from the list's start. (Plain ASCII
        // text is set in one face, and is spared the extra runs.)
        const bool ascii = std::all_of(text.begin(), text.end(),
                                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
        for (std::size_t at = ascii ? std::string::npos : text.find(' '); at != std::string::npos;
             at = text.find(' ', at)) {
            const std::size_t end = std::min(text.find_first_not_of(' ', at), text.size());
            PangoAttribute* own = pango_attr_family_new(family.c_str());
            own->start_index = static_cast<guint>(at);
            own->end_index = static_cast<guint>(end);
            pango_attr_list_insert(attributes, own);
            at = end;
        }
        pango_layout_set_attributes(layout.get(), attributes);
        pango_attr_list_unref(attributes);
    }
    return layout;
}

void PaintText(cairo_t* cr, const DisplayOp& op) {
    std::string text = op.text;
    if (!op.lines.empty()) {
        text.clear();
        for (std::size_t i = 0; i < op.lines.size(); ++i)
            text += (i ? "\n" : "") + op.lines[i];
    }
    if (text.empty())
        return;
    LayoutPtr layout = RunLayout(cr, op, text);
    const LineMetrics metrics = FontLineMetrics(layout.get());
    const double lineBox = op.lineHeight > 0 ? op.lineHeight : metrics.normal;
    // The line's width unrounded, so that centred and right-aligned text starts where a
    // browser starts it.
    PangoRectangle logical;
    pango_layout_get_extents(layout.get(), nullptr, &logical);
    const double wide = static_cast<double>(logical.width) / PANGO_SCALE;
    const double high = static_cast<double>(logical.height) / PANGO_SCALE;
    const double tall = lineBox * pango_layout_get_line_count(layout.get());
    const double block = tall + 2 * op.inset;
    double left = op.x + op.inset;
    if (!op.wrap && op.lines.empty()) {
        const double room = op.w - 2 * op.inset;
        left += op.align == TextAlign::Left    ? 0
                : op.align == TextAlign::Right ? room - wide
                                               : (room - wide) / 2;
    }
    const double top =
        (op.middle ? op.y + (op.h - block) / 2 : op.y - op.anchor * block) + op.inset;
    LinePlacement placement;
    placement.own = !op.lines.empty();
    placement.room = op.w - 2 * op.inset;
    placement.align = op.align;
    if (op.shadow) {
        const TextShadow& shadow = *op.shadow;
        const double spread = std::ceil(shadow.blur * 3) + 1;
        cairo_save(cr);
        cairo_rectangle(cr, std::min(left, op.x) + shadow.x - spread, top + shadow.y - spread,
                        std::max<double>(op.w, wide) + 2 * spread,
                        std::max<double>(high, tall) + 2 * spread);
        cairo_clip(cr);
        cairo_push_group_with_content(cr, CAIRO_CONTENT_ALPHA);
        cairo_set_source_rgb(cr, 0, 0, 0);
        ShowLines(cr, layout.get(), left + shadow.x, top + shadow.y, lineBox, metrics, placement);
        cairo_pattern_t* mask = cairo_pop_group(cr);
        cairo_surface_t* alpha = nullptr;
        if (cairo_pattern_get_surface(mask, &alpha) == CAIRO_STATUS_SUCCESS)
            BlurAlpha(alpha, shadow.blur / 2);
        SetColour(cr, shadow.colour);
        cairo_mask(cr, mask);
        cairo_pattern_destroy(mask);
        cairo_restore(cr);
    }
    SetColour(cr, op.colour);
    ShowLines(cr, layout.get(), left, top, lineBox, metrics, placement);
}

// Groups nest at most this deep; deeper ones are left out.
constexpr int kMaxGroupDepth = 32;

void PaintGroup(cairo_t* cr, const DisplayOp& op, DisplayListPainter::Pictures& pictures,
                int depth) {
    if (op.opacity <= 0 || depth >= kMaxGroupDepth)
        return;
    const auto& [a, b, c, d, e, f] = op.transform;
    if (!std::isfinite(a * d - b * c) || std::fabs(a * d - b * c) < 1e-12)
        return; // a layer scaled to nothing shows nothing
    cairo_save(cr);
    cairo_matrix_t matrix;
    cairo_matrix_init(&matrix, a, b, c, d, e, f);
    cairo_transform(cr, &matrix);
    const bool translucent = op.opacity < 1;
    if (translucent)
        cairo_push_group(cr);
    PaintOps(cr, op.ops, pictures, depth + 1);
    if (translucent) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, op.opacity);
    }
    cairo_restore(cr);
}

void PaintOps(cairo_t* cr, const std::vector<DisplayOp>& ops,
              DisplayListPainter::Pictures& pictures, int depth) {
    for (const DisplayOp& op : ops) {
        switch (op.kind) {
        case DisplayOp::Kind::Group:
            PaintGroup(cr, op, pictures, depth);
            break;
        case DisplayOp::Kind::Rect:
        case DisplayOp::Kind::Ellipse:
            PaintShape(cr, op);
            break;
        case DisplayOp::Kind::Picture:
            PaintPicture(cr, op, pictures);
            break;
        case DisplayOp::Kind::Text:
            PaintText(cr, op);
            break;
        }
    }
}

// The list painted on a new opaque surface.
SurfacePtr PaintSurface(const DisplayList& list, DisplayListPainter::Pictures& pictures,
                        std::string* error) {
    if (list.width <= 0 || list.height <= 0 || list.width > 8191 || list.height > 8191) {
        SetError(error, "the banner size is out of range");
        return nullptr;
    }
    SurfacePtr surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, list.width, list.height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) {
        SetError(error, "cannot make a picture of that size");
        return nullptr;
    }
    CairoPtr cr(cairo_create(surface.get()));
    if (!list.transparent) {
        SetColour(cr.get(), list.background);
        cairo_paint(cr.get());
    }
    PaintOps(cr.get(), list.ops, pictures, 0);
    cairo_surface_flush(surface.get());
    return surface;
}

} // namespace

DisplayListPainter::DisplayListPainter() : m_pictures(std::make_unique<Pictures>()) {}
DisplayListPainter::~DisplayListPainter() = default;

bool DisplayListPainter::Paint(const DisplayList& list, ArgbFrame& frame, std::string* error) {
    SurfacePtr surface = PaintSurface(list, *m_pictures, error);
    if (!surface)
        return false;
    frame.width = list.width;
    frame.height = list.height;
    frame.pixels.resize(static_cast<std::size_t>(list.width) * list.height);
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < list.height; ++y)
        std::memcpy(frame.pixels.data() + static_cast<std::size_t>(y) * list.width,
                    data + static_cast<std::size_t>(y) * stride,
                    static_cast<std::size_t>(list.width) * 4);
    return true;
}

std::optional<std::string> DisplayListPainter::PaintPng(const DisplayList& list,
                                                        std::string* error) {
    SurfacePtr surface = PaintSurface(list, *m_pictures, error);
    if (!surface)
        return std::nullopt;
    std::string png;
    if (list.transparent) {
        if (cairo_surface_write_to_png_stream(surface.get(), AppendBytes, &png) !=
            CAIRO_STATUS_SUCCESS) {
            SetError(error, "cannot encode PNG");
            return std::nullopt;
        }
        return png;
    }
    // Opaque: written as RGB.
    SurfacePtr opaque(cairo_image_surface_create(CAIRO_FORMAT_RGB24, list.width, list.height));
    CairoPtr cr(cairo_create(opaque.get()));
    cairo_set_source_surface(cr.get(), surface.get(), 0, 0);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr.get());
    cairo_surface_flush(opaque.get());
    if (cairo_surface_write_to_png_stream(opaque.get(), AppendBytes, &png) !=
        CAIRO_STATUS_SUCCESS) {
        SetError(error, "cannot encode PNG");
        return std::nullopt;
    }
    return png;
}

} // namespace pennoria::platform
