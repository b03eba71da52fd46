// What a banner shows at one moment, as plain drawing operations in painting order: the host
// paints it without a browser (platform/raster/, Cairo and Pango) into pixels or a PNG. The
// banner model (project/BannerModel.h) makes display lists; nothing here knows the banner's
// format.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace pennoria::platform {

enum class TextAlign { Left, Center, Right };

struct TextShadow {
    std::uint32_t colour = 0; // 0xRRGGBB
    double x = 0, y = 0;      // offset, pixels
    double blur = 0;          // as a page's text-shadow blur radius
};

// One drawing operation. Coordinates are pixels in the space of the enclosing group.
struct DisplayOp {
    enum class Kind { Group, Rect, Ellipse, Picture, Text };
    Kind kind = Kind::Rect;

    // Group: its operations drawn with the transform (x' = a x + c y + e, y' = b x + d y + f)
    // and then composited with opacity as one layer.
    double opacity = 1;
    std::array<double, 6> transform{1, 0, 0, 1, 0, 0};
    std::vector<DisplayOp> ops;

    // Rect, Ellipse, Picture (destination), Text (box).
    double x = 0, y = 0, w = 0, h = 0;

    // Rect and Ellipse: filled, then stroked centred on the edge; a rectangle's corners rounded.
    std::optional<std::uint32_t> fill;
    std::optional<std::uint32_t> stroke;
    double strokeWidth = 0;
    double radius = 0;

    // Picture: the rectangle source (of the picture's own pixels) drawn onto x, y, w, h and cut
    // to clip. src is the picture's name as the project writes it; path is the file the painter
    // reads (the host fills it in); a picture without a readable file is left out.
    std::string src;
    std::string path;
    std::array<double, 4> source{0, 0, 0, 0};
    std::array<double, 4> clip{0, 0, 0, 0};

    // Text: set in face (a family name, a comma-separated list of them tried in turn for each
    // character, or "sans-serif"/"serif") at size pixels. With wrap it
    // wraps at word boundaries within the box's width less inset on each side; without, each
    // line stays whole and the block is aligned in the box. Each line box is lineHeight
    // pixels high with the glyphs centred in it, as a page sets text; 0 is the font's normal
    // line spacing. valign "middle" centres the block in the box; "top" puts its top at y,
    // moved up by anchor times the block's height (insets included). lines, when the model
    // gives them, are the lines as it broke them, set as they are: each aligned by its own
    // width in the box, each in the direction of its first strong character.
    std::string text;
    std::vector<std::string> lines;
    std::string face = "sans-serif";
    double size = 16;
    bool bold = false;
    bool italic = false;
    std::uint32_t colour = 0;
    TextAlign align = TextAlign::Left;
    bool middle = false; // valign "middle"
    bool wrap = true;
    double lineHeight = 0;
    double inset = 0;
    double anchor = 0;
    std::optional<TextShadow> shadow;
};

struct DisplayList {
    int width = 0;
    int height = 0;
    std::uint32_t background = 0xFFFFFF; // 0xRRGGBB, opaque
    // Painted on a transparent ground instead of the background (a picture laid over others).
    bool transparent = false;
    std::vector<DisplayOp> ops;
};

// Pixels of a painted frame: premultiplied 0xAARRGGBB, rows of width pixels without padding.
struct ArgbFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// Paints display lists; keeps the pictures it has read (by path) for the frames that follow,
// so one painter per export of many frames reads each picture once. Text uses the faces given
// to UseFontFolder (platform/Raster.h) and the system's.
class DisplayListPainter {
public:
    DisplayListPainter();
    ~DisplayListPainter();
    DisplayListPainter(const DisplayListPainter&) = delete;
    DisplayListPainter& operator=(const DisplayListPainter&) = delete;

    // Paints the list into frame (resized to the list's size); false (and why) when the size
    // is out of range (1 to 8191 each way) or no picture of that size can be made.
    bool Paint(const DisplayList& list, ArgbFrame& frame, std::string* error = nullptr);
    // The same, as PNG bytes (opaque RGB; RGBA for a transparent list).
    std::optional<std::string> PaintPng(const DisplayList& list, std::string* error = nullptr);

    struct Pictures; // the pictures read so far

private:
    std::unique_ptr<Pictures> m_pictures;
};

} // namespace pennoria::platform
