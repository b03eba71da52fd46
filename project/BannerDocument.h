// The banner a version-2 project describes, as the host reads it: the sizes, the elements in
// drawing order with their geometry per size, and each element's state at the final frame. The
// movies and the HTML5 creative read the same format with data/movies/common/BannerDocument.hx;
// both follow docs/project-format.md and must change together.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace pennoria {

constexpr std::size_t kMaxBannerElements = 200;
// More listed sizes than this are not read: every size is a whole publish of its own.
constexpr std::size_t kMaxBannerSizes = 20;

// Geometry at one size, pixels from the banner's top-left corner.
struct ElementBox {
    double x = 0, y = 0, width = 1, height = 1;
    int fontSize = 24;
};

struct ElementAnimation {
    std::string type = "none"; // none, fade, slide, zoom
    std::string side = "left"; // left, right, top, bottom (slide)
    int delay = 0;             // ms from the start of a loop
    int duration = 500;        // ms
    std::string easing = "easeOut";
};

enum class ElementKind { Image, Text, Button, Shape };

struct BannerElement {
    ElementKind kind = ElementKind::Shape;
    std::string id;
    double x = 0, y = 0, width = 100, height = 40; // at the first size
    double opacity = 1;
    // image
    std::string src;
    std::string fit = "contain"; // contain, cover, stretch
    // text and button
    std::string label;
    std::string font = "Liberation Sans";
    int size = 24;
    bool bold = false;
    bool italic = false;
    std::uint32_t color = 0xFFFFFF;
    std::string align = "left"; // left, center, right
    double lineHeight = 1.2;
    std::optional<std::uint32_t> shadowColor;
    double shadowX = 1, shadowY = 1, shadowBlur = 2;
    // shape and button
    std::optional<std::uint32_t> fill; // none for text and images
    std::optional<std::uint32_t> stroke;
    double strokeWidth = 0;
    double radius = 0;
    std::string shapeKind = "rect"; // rect, ellipse
    // button
    std::string url;
    std::string target = "_blank";

    ElementAnimation enter;
    std::optional<ElementAnimation> exit;
};

struct BannerSizeEntry {
    int width = 0, height = 0;
    std::map<std::string, ElementBox> places; // by element id
};

struct BannerDocument {
    int version = 1; // 1: the format without elements; 2: this one
    // demoWidth x demoHeight: the size this text is drawn at, one of sizes.
    int width = 720, height = 540;
    // The sizes as listed, each once. The elements' own geometry is that of sizes[0], which is
    // demoWidth x demoHeight in a project (a published size's copy keeps the project's list).
    std::vector<BannerSizeEntry> sizes;
    std::uint32_t background = 0xFFFFFF;
    std::string image; // the background image; empty: none
    std::string fit = "cover";
    int length = 5000; // ms of one loop
    int loops = 1;
    std::vector<BannerElement> elements; // drawing order, bottom first
};

// Reads a project text. Damage gives defaults: a text that does not parse is an empty
// version-1 document of the default size.
BannerDocument ReadBannerDocument(const std::string& projectXml);

// The index in sizes of demoWidth x demoHeight.
std::size_t DrawnSizeIndex(const BannerDocument& document);

// The index of the size width x height; -1 when the document has none.
int SizeIndexOf(const BannerDocument& document, int width, int height);

// The element's box at a size: its place there, or the first size's geometry scaled.
ElementBox BoxAt(const BannerDocument& document, const BannerElement& element,
                 std::size_t sizeIndex);

// What an element looks like at a moment of a loop, relative to its box.
struct ElementState {
    bool visible = true;
    double alpha = 1; // multiplies the element's opacity; 0 or a scale of 0 is not visible
    double dx = 0, dy = 0;
    double scale = 1; // about the box's centre
};
ElementState StateAt(const BannerElement& element, const ElementBox& box, int bannerWidth,
                     int bannerHeight, double time);

// The time of a loop the final frame shows.
double FinalTime(const BannerDocument& document);

// "#RRGGBB", "0xRRGGBB" or "RRGGBB"; nothing otherwise.
std::optional<std::uint32_t> ParseColour(const std::string& text);

} // namespace pennoria
