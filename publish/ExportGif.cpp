#include "publish/ExportGif.h"

#include <gif_lib.h>
#include <libimagequant.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace pennoria {
namespace {

void SetError(std::string* error, std::string text) {
    if (error)
        *error = std::move(text);
}

struct LiqAttrFree {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct LiqHistogramFree {
    void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};
struct LiqImageFree {
    void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct LiqResultFree {
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};
struct GifMapFree {
    void operator()(ColorMapObject* p) const { GifFreeMapObject(p); }
};

// Straight RGBA bytes of a premultiplied ARGB frame laid over white: a GIF pixel is opaque or
// fully transparent, and a banner's translucent edge looks in an e-mail as it does on a page.
std::vector<unsigned char> OpaqueRgba(const ArgbFrame& frame) {
    std::vector<unsigned char> rgba(frame.pixels.size() * 4);
    unsigned char* out = rgba.data();
    for (std::uint32_t p : frame.pixels) {
        const unsigned a = p >> 24;
        const unsigned white = 255 - a;
        out[0] = static_cast<unsigned char>(std::min(255u, ((p >> 16) & 0xFF) + white));
        out[1] = static_cast<unsigned char>(std::min(255u, ((p >> 8) & 0xFF) + white));
        out[2] = static_cast<unsigned char>(std::min(255u, (p & 0xFF) + white));
        out[3] = 255;
        out += 4;
    }
    return rgba;
}

int WriteToString(GifFileType* gif, const GifByteType* data, int length) {
    static_cast<std::string*>(gif->UserData)
        ->append(reinterpret_cast<const char*>(data), static_cast<std::size_t>(length));
    return length;
}

struct GifWriter {
    GifFileType* gif = nullptr;
    ~GifWriter() {
        if (gif) {
            int ignored = 0;
            EGifCloseFile(gif, &ignored);
        }
    }
    bool Close(std::string* error) {
        int code = 0;
        GifFileType* g = gif;
        gif = nullptr;
        if (EGifCloseFile(g, &code) != GIF_OK) {
            SetError(error, std::string("GIF writer: ") + GifErrorString(code));
            return false;
        }
        return true;
    }
};

std::optional<std::string> Failed(GifFileType* gif, std::string* error) {
    SetError(error, std::string("GIF writer: ") + GifErrorString(gif->Error));
    return std::nullopt;
}

// Changed pixels' bounding box between two frames of one size; false when none changed.
struct Box {
    int left = 0, top = 0, right = 0, bottom = 0; // right, bottom exclusive
};
bool ChangedBox(const ArgbFrame& before, const ArgbFrame& after, Box& box) {
    const int w = after.width;
    const int h = after.height;
    box = {w, h, 0, 0};
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* a = &before.pixels[static_cast<std::size_t>(y) * w];
        const std::uint32_t* b = &after.pixels[static_cast<std::size_t>(y) * w];
        if (std::memcmp(a, b, static_cast<std::size_t>(w) * 4) == 0)
            continue;
        int x0 = 0;
        while (a[x0] == b[x0])
            ++x0;
        int x1 = w;
        while (a[x1 - 1] == b[x1 - 1])
            --x1;
        box.left = std::min(box.left, x0);
        box.right = std::max(box.right, x1);
        box.top = std::min(box.top, y);
        box.bottom = y + 1;
    }
    return box.right > box.left;
}

} // namespace

std::optional<std::string> EncodeGif(const std::vector<GifFrame>& frames,
                                     const GifSettings& settings, std::string* error) {
    if (frames.empty() || !frames[0].picture) {
        SetError(error, "no frames to encode");
        return std::nullopt;
    }
    const int width = frames[0].picture->width;
    const int height = frames[0].picture->height;
    if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
        SetError(error, "a GIF is at most 65535 pixels on a side");
        return std::nullopt;
    }
    for (const GifFrame& f : frames)
        if (!f.picture || f.picture->width != width || f.picture->height != height ||
            f.picture->pixels.size() != static_cast<std::size_t>(width) * height) {
            SetError(error, "the frames differ in size");
            return std::nullopt;
        }
    const int colours = std::clamp(settings.colours, 2, 256);
    const bool animated = frames.size() > 1;

    // One palette for all frames; an animation keeps its last entry for "unchanged".
    std::unique_ptr<liq_attr, LiqAttrFree> attr(liq_attr_create());
    if (!attr) {
        SetError(error, "the quantizer could not start");
        return std::nullopt;
    }
    liq_set_max_colors(attr.get(), animated ? std::max(2, colours - 1) : colours);
    liq_set_speed(attr.get(), 4);
    std::vector<std::vector<unsigned char>> rgba;
    rgba.reserve(frames.size());
    std::vector<std::unique_ptr<liq_image, LiqImageFree>> images;
    std::unique_ptr<liq_histogram, LiqHistogramFree> histogram(liq_histogram_create(attr.get()));
    for (const GifFrame& f : frames) {
        rgba.push_back(OpaqueRgba(*f.picture));
        images.emplace_back(
            liq_image_create_rgba(attr.get(), rgba.back().data(), width, height, 0));
        if (!images.back() ||
            liq_histogram_add_image(histogram.get(), attr.get(), images.back().get()) != LIQ_OK) {
            SetError(error, "the quantizer refused a frame");
            return std::nullopt;
        }
    }
    liq_result* rawResult = nullptr;
    if (liq_histogram_quantize(histogram.get(), attr.get(), &rawResult) != LIQ_OK) {
        SetError(error, "the quantizer found no palette");
        return std::nullopt;
    }
    std::unique_ptr<liq_result, LiqResultFree> result(rawResult);
    liq_set_dithering_level(result.get(), std::clamp(settings.dither, 0.0f, 1.0f));
    const liq_palette* palette = liq_get_palette(result.get());
    const int used = static_cast<int>(palette->count);
    const int transparent = animated ? used : -1;
    int mapSize = 2;
    while (mapSize < used + (animated ? 1 : 0))
        mapSize *= 2;
    std::vector<GifColorType> entries(static_cast<std::size_t>(mapSize), GifColorType{0, 0, 0});
    for (int i = 0; i < used; ++i)
        entries[static_cast<std::size_t>(i)] = {palette->entries[i].r, palette->entries[i].g,
                                                palette->entries[i].b};
    std::unique_ptr<ColorMapObject, GifMapFree> map(GifMakeMapObject(mapSize, entries.data()));
    if (!map) {
        SetError(error, "out of memory for the palette");
        return std::nullopt;
    }

    std::string bytes;
    GifWriter writer;
    int code = 0;
    writer.gif = EGifOpen(&bytes, WriteToString, &code);
    if (!writer.gif) {
        SetError(error, std::string("GIF writer: ") + GifErrorString(code));
        return std::nullopt;
    }
    GifFileType* gif = writer.gif;
    EGifSetGifVersion(gif, true);
    if (EGifPutScreenDesc(gif, width, height, 8, 0, map.get()) != GIF_OK)
        return Failed(gif, error);

    // Without the looping block a GIF plays once; with it, the count is the number of repeats
    // after the first play (0 would be endless, which an animation here never is).
    if (animated && settings.plays > 1) {
        const int repeats = std::min(settings.plays - 1, 65535);
        const GifByteType name[] = {'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0'};
        const GifByteType loop[] = {1, static_cast<GifByteType>(repeats & 0xFF),
                                    static_cast<GifByteType>(repeats >> 8)};
        if (EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE) != GIF_OK ||
            EGifPutExtensionBlock(gif, sizeof name, name) != GIF_OK ||
            EGifPutExtensionBlock(gif, sizeof loop, loop) != GIF_OK ||
            EGifPutExtensionTrailer(gif) != GIF_OK)
            return Failed(gif, error);
    }

    std::vector<unsigned char> indices(static_cast<std::size_t>(width) * height);
    std::vector<GifPixelType> row(static_cast<std::size_t>(width));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        if (liq_write_remapped_image(result.get(), images[i].get(), indices.data(),
                                     indices.size()) != LIQ_OK) {
            SetError(error, "the quantizer could not map a frame");
            return std::nullopt;
        }
        Box box{0, 0, width, height};
        const ArgbFrame* before = i > 0 ? frames[i - 1].picture : nullptr;
        if (before && !ChangedBox(*before, *frames[i].picture, box))
            box = {0, 0, 1, 1}; // a held frame: one transparent pixel
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSE_DO_NOT;
        control.UserInputFlag = false;
        control.DelayTime = std::clamp(frames[i].delayCentiseconds, 0, 65535);
        control.TransparentColor = before ? transparent : NO_TRANSPARENT_COLOR;
        GifByteType extension[4];
        EGifGCBToExtension(&control, extension);
        if (EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, extension) != GIF_OK ||
            EGifPutImageDesc(gif, box.left, box.top, box.right - box.left, box.bottom - box.top,
                             false, nullptr) != GIF_OK)
            return Failed(gif, error);
        for (int y = box.top; y < box.bottom; ++y) {
            const std::size_t start = static_cast<std::size_t>(y) * width;
            for (int x = box.left; x < box.right; ++x) {
                const std::size_t at = start + static_cast<std::size_t>(x);
                const bool unchanged =
                    before && before->pixels[at] == frames[i].picture->pixels[at];
                row[static_cast<std::size_t>(x - box.left)] =
                    unchanged ? static_cast<GifPixelType>(transparent) : indices[at];
            }
            if (EGifPutLine(gif, row.data(), box.right - box.left) != GIF_OK)
                return Failed(gif, error);
        }
    }
    if (!writer.Close(error))
        return std::nullopt;
    return bytes;
}

} // namespace pennoria
