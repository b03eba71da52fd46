// The frame skin's look: a light frame in the window background colour 0xD3D6DD with a thin
// darker outline, a soft highlight inside it, a caption band that brightens towards the top,
// flat caption buttons that light up on hover, and a pennant logo.
#include "data/skins/draw/SkinArt.h"

#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>

namespace pennoria::skinart {

namespace {

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;
using Context = std::unique_ptr<cairo_t, decltype(&cairo_destroy)>;

Surface MakeSurface(int width, int height) {
    return Surface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height),
                   cairo_surface_destroy);
}

struct Rgb {
    int r, g, b;
};

constexpr Rgb kOutline{0x8E, 0x95, 0xA3};
constexpr Rgb kHighlight{0xF4, 0xF5, 0xF8};
constexpr Rgb kBackground{0xD3, 0xD6, 0xDD};
constexpr Rgb kInnerShadow{0xC3, 0xC7, 0xD0};
constexpr Rgb kCaptionTop{0xE9, 0xEB, 0xF0};

// The whole frame is drawn once at this size, then cut into the eight pieces.
constexpr int kFrameSize = 64;
constexpr int kBand = 24;
constexpr int kEdge = 4;

constexpr int kButtonSlice = 22;
constexpr int kCloseWidth = 32;
constexpr int kButtonWidth = 28;

void SetPixel(cairo_surface_t* surface, int x, int y, Rgb c, int alpha = 255) {
    unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    auto* p = reinterpret_cast<std::uint32_t*>(data + y * stride) + x;
    auto pre = [alpha](int v) { return static_cast<std::uint32_t>(v * alpha / 255); };
    *p = (static_cast<std::uint32_t>(alpha) << 24) | (pre(c.r) << 16) | (pre(c.g) << 8) | pre(c.b);
}

Rgb Mix(Rgb a, Rgb b, double t) {
    auto m = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return {m(a.r, b.r), m(a.g, b.g), m(a.b, b.b)};
}

// The frame as a whole window; the window region removes five pixels at each corner, which
// are left transparent here.
Surface DrawWholeFrame() {
    Surface surface = MakeSurface(kFrameSize, kFrameSize);
    cairo_surface_flush(surface.get());
    const int last = kFrameSize - 1;
    for (int y = 0; y < kFrameSize; ++y) {
        for (int x = 0; x < kFrameSize; ++x) {
            int cx = std::min(x, last - x);
            int cy = std::min(y, last - y);
            bool cut = (cx == 0 && cy < 3) || (cy == 0 && cx < 3);
            if (cut)
                continue; // stays transparent
            Rgb colour =
                y < kBand ? Mix(kCaptionTop, kBackground, y / double(kBand - 1)) : kBackground;
            int ring = std::min(cx, cy);
            if (ring == 0 || (cx == 1 && cy == 1))
                colour = kOutline;
            else if (ring == 1 || (cx == 2 && cy == 2))
                colour = y < kBand ? Mix(kHighlight, colour, 0.2) : kHighlight;
            else if (ring == kEdge - 1 && y >= kBand && cx >= kEdge - 1)
                colour = kInnerShadow;
            SetPixel(surface.get(), x, y, colour);
        }
    }
    cairo_surface_mark_dirty(surface.get());
    return surface;
}

bool WritePng(cairo_surface_t* surface, const std::string& path, std::string& error) {
    if (cairo_surface_write_to_png(surface, path.c_str()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool WritePiece(cairo_surface_t* frame, int x, int y, int width, int height,
                const std::string& path, std::string& error) {
    Surface piece = MakeSurface(width, height);
    Context cr(cairo_create(piece.get()), cairo_destroy);
    cairo_set_operator(cr.get(), CAIRO_OPERATOR_SOURCE);
    cairo_set_source_surface(cr.get(), frame, -x, -y);
    cairo_paint(cr.get());
    return WritePng(piece.get(), path, error);
}

enum class Glyph { Close, Max, Restore, Min };
enum class State { Highlighted, Normal, Pressed, Disabled };

void SetRgb(cairo_t* cr, std::uint32_t rgb) {
    cairo_set_source_rgb(cr, ((rgb >> 16) & 255) / 255.0, ((rgb >> 8) & 255) / 255.0,
                         (rgb & 255) / 255.0);
}

void RoundedRectangle(cairo_t* cr, double x, double y, double w, double h, double r) {
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2, 0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0, M_PI / 2);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 3 * M_PI / 2);
    cairo_close_path(cr);
}

void DrawButtonSlice(cairo_t* cr, Glyph glyph, State state, int width, int top) {
    const bool close = glyph == Glyph::Close;
    std::uint32_t ink = 0x2E3440;
    if (state == State::Highlighted || state == State::Pressed) {
        SetRgb(cr, close ? (state == State::Pressed ? 0xB83434 : 0xE04848)
                         : (state == State::Pressed ? 0xA9B0BD : 0xC1C6D0));
        RoundedRectangle(cr, 1, top + 1, width - 2, kButtonSlice - 2, 3);
        cairo_fill(cr);
        ink = close ? 0xFFFFFF : 0x1F2430;
    } else if (state == State::Disabled) {
        ink = 0xA3A8B3;
    }
    SetRgb(cr, ink);
    const double cx = width / 2.0;
    const double cy = top + kButtonSlice / 2.0;
    cairo_set_line_width(cr, 1.0);
    switch (glyph) {
    case Glyph::Close:
        cairo_set_line_width(cr, 1.4);
        cairo_move_to(cr, cx - 4.5, cy - 4.5);
        cairo_line_to(cr, cx + 4.5, cy + 4.5);
        cairo_move_to(cr, cx + 4.5, cy - 4.5);
        cairo_line_to(cr, cx - 4.5, cy + 4.5);
        cairo_stroke(cr);
        break;
    case Glyph::Max:
        cairo_rectangle(cr, cx - 4.5, cy - 4.5, 9, 9);
        cairo_stroke(cr);
        cairo_rectangle(cr, cx - 5, cy - 5, 10, 2);
        cairo_fill(cr);
        break;
    case Glyph::Restore:
        cairo_move_to(cr, cx - 2.5, cy - 3);
        cairo_line_to(cr, cx - 2.5, cy - 5.5);
        cairo_line_to(cr, cx + 5.5, cy - 5.5);
        cairo_line_to(cr, cx + 5.5, cy + 1.5);
        cairo_line_to(cr, cx + 3, cy + 1.5);
        cairo_stroke(cr);
        cairo_rectangle(cr, cx - 5.5, cy - 2.5, 8, 8);
        cairo_stroke(cr);
        cairo_rectangle(cr, cx - 6, cy - 3, 9, 2);
        cairo_fill(cr);
        break;
    case Glyph::Min:
        cairo_rectangle(cr, cx - 5, cy + 3, 10, 2);
        cairo_fill(cr);
        break;
    }
}

bool WriteButtonStrip(Glyph glyph, int width, const std::string& path, std::string& error) {
    Surface strip = MakeSurface(width, 4 * kButtonSlice);
    Context cr(cairo_create(strip.get()), cairo_destroy);
    const State states[] = {State::Highlighted, State::Normal, State::Pressed, State::Disabled};
    for (int slice = 0; slice < 4; ++slice)
        DrawButtonSlice(cr.get(), glyph, states[slice], width, slice * kButtonSlice);
    return WritePng(strip.get(), path, error);
}

// A white pennant on a rounded blue square, size x size units from the origin.
void PaintLogo(cairo_t* cr, double s) {
    cairo_pattern_t* fill = cairo_pattern_create_linear(0, 0, 0, s);
    cairo_pattern_add_color_stop_rgb(fill, 0, 0x5B / 255.0, 0x8B / 255.0, 0xEA / 255.0);
    cairo_pattern_add_color_stop_rgb(fill, 1, 0x2D / 255.0, 0x52 / 255.0, 0xB0 / 255.0);
    RoundedRectangle(cr, 0.5, 0.5, s - 1, s - 1, s * 0.22);
    cairo_set_source(cr, fill);
    cairo_fill(cr);
    cairo_pattern_destroy(fill);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_rectangle(cr, s * 0.25, s * 0.18, std::max(1.0, s * 0.08), s * 0.66);
    cairo_fill(cr);
    cairo_move_to(cr, s * 0.33, s * 0.18);
    cairo_line_to(cr, s * 0.80, s * 0.35);
    cairo_line_to(cr, s * 0.33, s * 0.52);
    cairo_close_path(cr);
    cairo_fill(cr);
}

Surface DrawLogo(int size) {
    Surface surface = MakeSurface(size, size);
    Context cr(cairo_create(surface.get()), cairo_destroy);
    PaintLogo(cr.get(), size);
    cairo_surface_flush(surface.get());
    return surface;
}

// Little-endian, in a field of the given size (bytes past the fourth are zero).
void PutLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out.push_back(i < 4 ? static_cast<char>((value >> (8 * i)) & 255) : '\0');
}

// An icon file with one 32-bit image per size (straight alpha, bottom-up rows, AND mask).
bool WriteIcon(const std::vector<int>& sizes, const std::string& path, std::string& error) {
    std::string header, images;
    PutLe(header, 0, 2);
    PutLe(header, 1, 2);
    PutLe(header, static_cast<std::uint32_t>(sizes.size()), 2);
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(sizes.size());
    for (int size : sizes) {
        Surface logo = DrawLogo(size);
        const unsigned char* data = cairo_image_surface_get_data(logo.get());
        const int stride = cairo_image_surface_get_stride(logo.get());
        const int maskStride = ((size + 31) / 32) * 4;
        std::string image;
        PutLe(image, 40, 4);
        PutLe(image, static_cast<std::uint32_t>(size), 4);
        PutLe(image, static_cast<std::uint32_t>(2 * size), 4);
        PutLe(image, 1, 2);
        PutLe(image, 32, 2);
        PutLe(image, 0, 4);
        PutLe(image, static_cast<std::uint32_t>(size * size * 4 + maskStride * size), 4);
        PutLe(image, 0, 16);
        std::string mask;
        for (int y = size - 1; y >= 0; --y) {
            std::string maskRow(static_cast<std::size_t>(maskStride), '\0');
            for (int x = 0; x < size; ++x) {
                std::uint32_t p;
                std::memcpy(&p, data + y * stride + 4 * x, 4);
                std::uint32_t a = p >> 24;
                auto un = [a](std::uint32_t v) { return a ? (v * 255 + a / 2) / a : 0; };
                PutLe(image, un(p & 255), 1);
                PutLe(image, un((p >> 8) & 255), 1);
                PutLe(image, un((p >> 16) & 255), 1);
                PutLe(image, a, 1);
                if (a == 0)
                    maskRow[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            }
            mask += maskRow;
        }
        image += mask;
        PutLe(header, static_cast<std::uint32_t>(size == 256 ? 0 : size), 1);
        PutLe(header, static_cast<std::uint32_t>(size == 256 ? 0 : size), 1);
        PutLe(header, 0, 2);
        PutLe(header, 1, 2);
        PutLe(header, 32, 2);
        PutLe(header, static_cast<std::uint32_t>(image.size()), 4);
        PutLe(header, offset, 4);
        offset += static_cast<std::uint32_t>(image.size());
        images += image;
    }
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot write " + path;
        return false;
    }
    std::string all = header + images;
    bool ok = std::fwrite(all.data(), 1, all.size(), file) == all.size();
    ok = std::fclose(file) == 0 && ok;
    if (!ok)
        error = "cannot write " + path;
    return ok;
}

} // namespace

const std::vector<SkinImage>& SkinImages() {
    static const std::vector<SkinImage> images = {
        {"frame_left_top.png", kEdge, kBand},
        {"frame_top.png", 1, kBand},
        {"frame_right_top.png", kEdge, kBand},
        {"frame_left.png", kEdge, 1},
        {"frame_right.png", kEdge, 1},
        {"frame_left_bottom.png", kEdge, kEdge},
        {"frame_right_bottom.png", kEdge, kEdge},
        {"frame_bottom.png", 1, kEdge},
        {"button_close.png", kCloseWidth, 4 * kButtonSlice},
        {"button_max.png", kButtonWidth, 4 * kButtonSlice},
        {"button_restore.png", kButtonWidth, 4 * kButtonSlice},
        {"button_min.png", kButtonWidth, 4 * kButtonSlice},
        {"logo.ico", 16, 16},
    };
    return images;
}

bool DrawSkin(const std::string& folder, std::string& error) {
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    Surface frame = DrawWholeFrame();
    const int far = kFrameSize - kEdge;
    const int middle = kFrameSize / 2;
    struct Cut {
        int x, y;
    };
    const Cut cuts[] = {{0, 0},       {middle, 0}, {far, 0},   {0, kBand},
                        {far, kBand}, {0, far},    {far, far}, {middle, far}};
    const auto& images = SkinImages();
    for (int i = 0; i < 8; ++i) {
        if (!WritePiece(frame.get(), cuts[i].x, cuts[i].y, images[i].width, images[i].height,
                        dir + images[i].fileName, error))
            return false;
    }
    const Glyph glyphs[] = {Glyph::Close, Glyph::Max, Glyph::Restore, Glyph::Min};
    for (int i = 0; i < 4; ++i) {
        const SkinImage& strip = images[8 + i];
        if (!WriteButtonStrip(glyphs[i], strip.width, dir + strip.fileName, error))
            return false;
    }
    return WriteIcon({16, 32}, dir + images[12].fileName, error);
}

const std::vector<int>& AppIconSizes() {
    static const std::vector<int> sizes = {16, 22, 24, 32, 48, 64, 128, 256, 512};
    return sizes;
}

bool DrawAppIcons(const std::string& folder, std::string& error) {
    const std::string dir = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (int size : AppIconSizes()) {
        Surface logo = DrawLogo(size);
        const std::string name = std::to_string(size) + "x" + std::to_string(size);
        if (!WritePng(logo.get(), dir + "pennoria-" + name + ".png", error))
            return false;
    }
    // The scalable icon is the same drawing on Cairo's SVG surface, in pixels of a 128 px icon.
    const std::string svgPath = dir + "pennoria.svg";
    Surface svg(cairo_svg_surface_create(svgPath.c_str(), 128, 128), cairo_surface_destroy);
    cairo_svg_surface_set_document_unit(svg.get(), CAIRO_SVG_UNIT_PX);
    {
        Context cr(cairo_create(svg.get()), cairo_destroy);
        PaintLogo(cr.get(), 128);
    }
    cairo_surface_finish(svg.get());
    if (cairo_surface_status(svg.get()) != CAIRO_STATUS_SUCCESS) {
        error = "cannot write " + svgPath;
        return false;
    }
    return true;
}

} // namespace pennoria::skinart
