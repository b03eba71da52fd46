// Pictures for publishing, drawn without a display: the size of an image file, a JPEG re-encode
// of one, and a banner's still picture (background, image, headline or elements) written as PNG.
// Implemented with Cairo, Pango and gdk-pixbuf (platform/raster/), never with GTK.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pennoria::platform {

struct ImageSize {
    int width = 0;
    int height = 0;
};

// The size of a PNG, JPEG or GIF file as it is drawn (a JPEG's orientation applied), read from
// its header without decoding it; nothing when the header cannot be read.
std::optional<ImageSize> ReadImageSize(const std::string& path, std::string* error = nullptr);

// The image re-encoded as baseline JPEG at quality (1 to 100), transparent parts on white.
std::optional<std::string> EncodeJpeg(const std::string& sourcePath, int quality,
                                      std::string* error = nullptr);

// A picture file decoded once (upright, and only within the pixel budget of
// platform/PictureHeader.h, checked before the decoder allocates), then scaled and encoded as
// often as asked without decoding it again. Copies share the pixels.
class DecodedPicture {
public:
    static std::optional<DecodedPicture> Load(const std::string& path,
                                              std::string* error = nullptr);
    ~DecodedPicture();
    DecodedPicture(const DecodedPicture&);
    DecodedPicture& operator=(const DecodedPicture&);

    ImageSize Size() const;
    bool HasAlpha() const;
    // The picture scaled down (never up) to width x height, with a filter fit for reduction.
    std::optional<DecodedPicture> Scaled(int width, int height) const;
    // Baseline JPEG at quality (1 to 100), transparent parts on white; PNG keeps transparency.
    std::optional<std::string> Jpeg(int quality, std::string* error = nullptr) const;
    std::optional<std::string> Png(std::string* error = nullptr) const;

private:
    struct Pixels;
    explicit DecodedPicture(std::shared_ptr<Pixels> pixels);
    std::shared_ptr<Pixels> m_pixels;
};

enum class TextAlign { Left, Center, Right };

// How a picture fills its box: whole and centred, covering it (cut to the box), or stretched.
enum class PictureFit { Contain, Cover, Stretch };

// One element of a still frame, drawn over the background in list order. Its box is in pixels
// from the banner's top-left corner; the whole element is scaled by scale about the box's
// centre and drawn with opacity.
struct StillElement {
    enum class Kind { Picture, Text, Button, Rectangle, Ellipse };
    Kind kind = Kind::Rectangle;
    double x = 0, y = 0, width = 1, height = 1;
    double opacity = 1;
    double scale = 1;

    // Picture
    std::string imagePath;
    PictureFit fit = PictureFit::Contain;

    // Rectangle, Ellipse, Button (fill and radius)
    std::optional<std::uint32_t> fill;
    std::optional<std::uint32_t> stroke; // centred on the box's edge
    double strokeWidth = 0;
    double radius = 0; // corners of a rectangle or button

    // Text (wrapped to the box's width, from its top), Button (one block of unwrapped lines
    // centred in the box). Each line box is lineHeight x fontPixels high with the glyphs centred
    // in it, as a web page sets text; a lineHeight of 0 keeps the font's own line spacing.
    std::string text;
    std::string family = "Liberation Sans";
    double fontPixels = 24;
    bool bold = false;
    bool italic = false;
    std::uint32_t colour = 0xFFFFFF;
    TextAlign align = TextAlign::Left;
    double lineHeight = 1.2;
    std::optional<std::uint32_t> shadowColour;
    double shadowX = 0, shadowY = 0, shadowBlur = 0;
};

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

    std::vector<StillElement> elements; // over the image (and headline)
};

// Gives text the TrueType faces in folder (the program's fonts/) besides the system's fonts,
// through a font configuration of its own; a missing folder leaves the system's fonts alone.
// Kept for later frames; calling it again with the same folder costs nothing.
void UseFontFolder(const std::string& folder);

// Where the headline's box starts, given its wrapped height (gutters included).
using HeadlineTopRule = std::function<double(double boxHeight)>;

// Draws the frame and returns it as PNG bytes; nothing (and why) when it cannot be drawn. An
// image that cannot be loaded is left out, as a browser leaves out a broken image.
std::optional<std::string> DrawStillFramePng(const StillFrame& frame,
                                             const HeadlineTopRule& headlineTop,
                                             std::string* error = nullptr);

} // namespace pennoria::platform
