// Pictures for publishing, drawn without a display: the size of an image file, a JPEG re-encode
// of one, and a banner's still picture (background, image, headline) written as PNG.
// Implemented with Cairo, Pango and gdk-pixbuf (platform/raster/), never with GTK.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pennoria::platform {

struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size of a PNG, JPEG, GIF or BMP file; nothing when it cannot be read as an image.
std::optional<ImageSize> ReadImageSize(const std::string& path, std::string* error = nullptr);

// The image re-encoded as baseline JPEG at quality (1 to 100), transparent parts on white.
std::optional<std::string> EncodeJpeg(const std::string& sourcePath, int quality,
                                      std::string* error = nullptr);

enum class TextAlign { Left, Center, Right };

// One still frame of a banner. Coordinates are pixels from the banner's top-left corner.
struct StillFrame {
    int width = 0;
    int height = 0;
    std::uint32_t background = 0xFFFFFF; // 0xRRGGBB

    std::string imagePath; // empty: no image
    double imageX = 0, imageY = 0, imageWidth = 0, imageHeight = 0;

    // The headline wraps at word boundaries inside a box of width headlineWidth whose left
    // edge is headlineX; its glyphs keep textGutter from the box's edges.
    std::string headline; // empty: no headline
    double headlineX = 0, headlineWidth = 0;
    double textGutter = 2;
    int fontPixels = 28;
    bool bold = true;
    std::uint32_t headlineColour = 0xFFFFFF;
    TextAlign align = TextAlign::Center;
};

// Where the headline's box starts, given its wrapped height (gutters included).
using HeadlineTopRule = std::function<double(double boxHeight)>;

// Draws the frame and returns it as PNG bytes; nothing (and why) when it cannot be drawn. An
// image that cannot be loaded is left out, as a browser leaves out a broken image.
std::optional<std::string> DrawStillFramePng(const StillFrame& frame,
                                             const HeadlineTopRule& headlineTop,
                                             std::string* error = nullptr);

} // namespace pennoria::platform
