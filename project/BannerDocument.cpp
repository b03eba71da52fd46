// Reading a version-2 project, element boxes per size and the timeline's state.
#include "project/BannerDocument.h"

#include "project/BannerSize.h"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>

namespace pennoria {

namespace {

constexpr double kMaxCoordinate = 16384;
constexpr int kMaxFont = 200;
constexpr int kMinFont = 6;
constexpr std::size_t kMaxLabel = 5000; // UTF-16 units, as the movies count them

std::string Trimmed(const char* text) {
    std::string value = text;
    const char* space = " \t\r\n";
    const std::size_t begin = value.find_first_not_of(space);
    if (begin == std::string::npos)
        return {};
    return value.substr(begin, value.find_last_not_of(space) - begin + 1);
}

// The decimal number a text starts with (after white space; "12px" is 12), as the movies read
// numbers; nothing when there is none or it is not finite.
std::optional<double> Number(const pugi::xml_node& node, const char* name) {
    const std::string text = Trimmed(node.attribute(name).value());
    if (text.empty())
        return std::nullopt;
    const char* begin = text.c_str() + (text[0] == '+' ? 1 : 0);
    double value = 0;
    auto [end, error] = std::from_chars(begin, text.c_str() + text.size(), value);
    if (error != std::errc() || end == begin || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// A banner side as a "%d" scan reads it, brought into range; fallback without digits.
int Side(const pugi::xml_node& node, const char* name, int fallback) {
    const std::string text = Trimmed(node.attribute(name).value());
    std::size_t i = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        ++i;
    if (i >= text.size() || text[i] < '0' || text[i] > '9')
        return fallback;
    double value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (value < 1e10)
            value = value * 10 + (text[i] - '0');
    return ClampBannerSide(
        static_cast<std::int32_t>(negative ? -std::min(value, 1e9) : std::min(value, 1e9)));
}

// At most kMaxLabel UTF-16 units of the text, never cutting a character.
std::string Label(const std::string& text) {
    std::size_t units = 0, i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
        units += length == 4 ? 2 : 1;
        if (units > kMaxLabel)
            return text.substr(0, i);
        i += length;
    }
    return text;
}

double NumberIn(const pugi::xml_node& node, const char* name, double low, double high,
                double fallback) {
    auto value = Number(node, name);
    return value ? std::clamp(*value, low, high) : fallback;
}

int IntegerIn(const pugi::xml_node& node, const char* name, int low, int high, int fallback) {
    auto value = Number(node, name);
    return value ? static_cast<int>(std::lround(std::clamp(*value, double(low), double(high))))
                 : fallback;
}

bool Flag(const pugi::xml_node& node, const char* name, bool fallback) {
    const std::string text = Trimmed(node.attribute(name).value());
    if (text == "true")
        return true;
    if (text == "false")
        return false;
    return fallback;
}

std::string OneOf(const pugi::xml_node& node, const char* name,
                  std::initializer_list<const char*> allowed) {
    const std::string text = Trimmed(node.attribute(name).value());
    for (const char* word : allowed)
        if (text == word)
            return text;
    return *allowed.begin();
}

// A colour, "none" as nothing, a missing or unreadable one as fallback.
std::optional<std::uint32_t> Paint(const pugi::xml_node& node, const char* name,
                                   std::optional<std::uint32_t> fallback) {
    const std::string text = Trimmed(node.attribute(name).value());
    if (text == "none")
        return std::nullopt;
    auto colour = ParseColour(text);
    return colour ? colour : fallback;
}

ElementAnimation ReadAnimation(const pugi::xml_node& node, const char* sideName) {
    ElementAnimation animation;
    animation.type = OneOf(node, "type", {"none", "fade", "slide", "zoom"});
    animation.side = OneOf(node, sideName, {"left", "right", "top", "bottom"});
    animation.delay = IntegerIn(node, "delay", 0, 30000, 0);
    animation.duration = IntegerIn(node, "duration", 0, 10000, 500);
    animation.easing = OneOf(node, "easing", {"easeOut", "linear", "easeIn", "easeInOut"});
    return animation;
}

void ReadGeometry(const pugi::xml_node& node, double& x, double& y, double& width, double& height) {
    x = NumberIn(node, "x", -kMaxCoordinate, kMaxCoordinate, x);
    y = NumberIn(node, "y", -kMaxCoordinate, kMaxCoordinate, y);
    width = NumberIn(node, "width", 1, kMaxCoordinate, width);
    height = NumberIn(node, "height", 1, kMaxCoordinate, height);
}

std::optional<BannerElement> ReadElement(const pugi::xml_node& node) {
    BannerElement element;
    const std::string name = node.name();
    if (name == "image")
        element.kind = ElementKind::Image;
    else if (name == "text")
        element.kind = ElementKind::Text;
    else if (name == "button")
        element.kind = ElementKind::Button;
    else if (name == "shape")
        element.kind = ElementKind::Shape;
    else
        return std::nullopt;
    element.id = node.attribute("id").value();
    ReadGeometry(node, element.x, element.y, element.width, element.height);
    element.opacity = NumberIn(node, "opacity", 0, 1, 1);

    element.src = Trimmed(node.attribute("src").value());
    element.fit = OneOf(node, "fit", {"contain", "cover", "stretch"});

    const bool button = element.kind == ElementKind::Button;
    element.label = Label(node.child("label").child_value());
    element.font = OneOf(node, "font", {"Liberation Sans", "Liberation Serif", "DejaVu Sans"});
    element.size = IntegerIn(node, "size", kMinFont, kMaxFont, button ? 16 : 24);
    element.bold = Flag(node, "bold", button);
    element.italic = Flag(node, "italic", false);
    element.color = ParseColour(node.attribute("color").value()).value_or(0xFFFFFF);
    element.align = button ? "center" : OneOf(node, "align", {"left", "center", "right"});
    element.lineHeight = NumberIn(node, "lineHeight", 0.8, 3, 1.2);
    if (element.kind == ElementKind::Text && node.attribute("shadowColor")) {
        element.shadowColor = ParseColour(node.attribute("shadowColor").value()).value_or(0);
        element.shadowX = NumberIn(node, "shadowX", -kMaxCoordinate, kMaxCoordinate, 1);
        element.shadowY = NumberIn(node, "shadowY", -kMaxCoordinate, kMaxCoordinate, 1);
        element.shadowBlur = NumberIn(node, "shadowBlur", 0, 20, 2);
    }

    const bool shape = element.kind == ElementKind::Shape;
    if (shape || button)
        element.fill = Paint(node, "fill", button ? 0xFF6A00 : 0xFFFFFF);
    if (shape) {
        element.stroke = Paint(node, "stroke", std::nullopt);
        element.strokeWidth = NumberIn(node, "strokeWidth", 0, 50, 0);
    }
    element.radius = NumberIn(node, "radius", 0, kMaxCoordinate, button ? 6 : 0);
    element.shapeKind = OneOf(node, "kind", {"rect", "ellipse"});
    element.url = Trimmed(node.attribute("url").value());
    element.target = node.attribute("target") ? node.attribute("target").value() : "_blank";

    if (pugi::xml_node enter = node.child("enter"))
        element.enter = ReadAnimation(enter, "from");
    if (pugi::xml_node exit = node.child("exit"))
        element.exit = ReadAnimation(exit, "to");
    return element;
}

double Eased(const std::string& easing, double p) {
    if (easing == "easeIn")
        return p * p;
    if (easing == "easeOut")
        return 1 - (1 - p) * (1 - p);
    if (easing == "easeInOut")
        return p < 0.5 ? 2 * p * p : 1 - 2 * (1 - p) * (1 - p);
    return p;
}

double Progress(const ElementAnimation& animation, double time) {
    if (animation.duration <= 0 ||
        time >= static_cast<double>(animation.delay) + animation.duration)
        return 1;
    const double p = (time - animation.delay) / animation.duration;
    return p <= 0 ? 0 : Eased(animation.easing, p);
}

// How far the element moves to lie just outside the banner's edge on a side.
void OffsetToSide(const std::string& side, const ElementBox& box, int bannerWidth, int bannerHeight,
                  double& dx, double& dy) {
    dx = dy = 0;
    if (side == "right")
        dx = bannerWidth - box.x;
    else if (side == "top")
        dy = -(box.y + box.height);
    else if (side == "bottom")
        dy = bannerHeight - box.y;
    else
        dx = -(box.x + box.width);
}

// An animation's effect at eased progress: shown is how much of the element is in.
void Apply(const ElementAnimation& animation, double shown, const ElementBox& box, int bannerWidth,
           int bannerHeight, ElementState& state) {
    if (animation.type == "fade") {
        state.alpha = shown;
    } else if (animation.type == "zoom") {
        state.scale = shown;
    } else if (animation.type == "slide") {
        double dx = 0, dy = 0;
        OffsetToSide(animation.side, box, bannerWidth, bannerHeight, dx, dy);
        state.dx = dx * (1 - shown);
        state.dy = dy * (1 - shown);
    }
}

} // namespace

std::optional<std::uint32_t> ParseColour(const std::string& given) {
    std::string text = Trimmed(given.c_str());
    if (!text.empty() && text[0] == '#')
        text.erase(0, 1);
    else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        text.erase(0, 2);
    if (text.size() != 6 || text.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        return std::nullopt;
    return static_cast<std::uint32_t>(std::stoul(text, nullptr, 16));
}

BannerDocument ReadBannerDocument(const std::string& projectXml) {
    BannerDocument document;
    pugi::xml_document xml;
    if (!xml.load_buffer(projectXml.data(), projectXml.size(), pugi::parse_default)) {
        document.sizes.push_back({document.width, document.height, {}});
        return document;
    }
    const pugi::xml_node root = xml.document_element();
    document.version = Side(root, "version", 1) >= 2 ? 2 : 1;
    document.width = Side(root, "demoWidth", document.width);
    document.height = Side(root, "demoHeight", document.height);
    document.background = ParseColour(root.attribute("bgColor").value()).value_or(0xFFFFFF);
    document.image = root.attribute("img").value();
    document.fit = OneOf(root, "fit", {"cover", "contain", "stretch"});
    document.length = IntegerIn(root, "length", 1000, 30000, 5000);
    document.loops = std::min(IntegerIn(root, "loops", 1, 10, 1), 30000 / document.length);

    if (document.version >= 2) {
        for (pugi::xml_node node : root.child("elements").children()) {
            if (document.elements.size() >= kMaxBannerElements)
                break;
            if (auto element = ReadElement(node))
                document.elements.push_back(std::move(*element));
        }
        for (pugi::xml_node node : root.child("sizes").children("size")) {
            if (document.sizes.size() >= kMaxBannerSizes)
                break;
            const int width = Side(node, "width", 0);
            const int height = Side(node, "height", 0);
            if (width < kMinBannerSide || height < kMinBannerSide ||
                SizeIndexOf(document, width, height) >= 0)
                continue;
            document.sizes.push_back({width, height, {}});
            const std::size_t index = document.sizes.size() - 1;
            for (pugi::xml_node place : node.children("place")) {
                const std::string ref = place.attribute("ref").value();
                auto element = std::find_if(document.elements.begin(), document.elements.end(),
                                            [&ref](const BannerElement& e) { return e.id == ref; });
                if (index == 0 || element == document.elements.end() ||
                    document.sizes[index].places.count(ref))
                    continue;
                // What a place leaves out follows the automatic rule.
                ElementBox box = BoxAt(document, *element, index);
                ReadGeometry(place, box.x, box.y, box.width, box.height);
                box.fontSize = IntegerIn(place, "size", kMinFont, kMaxFont, box.fontSize);
                document.sizes[index].places[ref] = box;
            }
        }
    }
    // demoWidth x demoHeight names the size drawn: one of the sizes (the first in a project,
    // another in the copy publishing writes for each size); one the list lacks is drawn by the
    // automatic rule.
    if (SizeIndexOf(document, document.width, document.height) < 0)
        document.sizes.push_back({document.width, document.height, {}});
    return document;
}

std::size_t DrawnSizeIndex(const BannerDocument& document) {
    const int index = SizeIndexOf(document, document.width, document.height);
    return index < 0 ? 0 : static_cast<std::size_t>(index);
}

int SizeIndexOf(const BannerDocument& document, int width, int height) {
    for (std::size_t i = 0; i < document.sizes.size(); ++i)
        if (document.sizes[i].width == width && document.sizes[i].height == height)
            return static_cast<int>(i);
    return -1;
}

ElementBox BoxAt(const BannerDocument& document, const BannerElement& element,
                 std::size_t sizeIndex) {
    ElementBox box{element.x, element.y, element.width, element.height, element.size};
    if (sizeIndex == 0 || sizeIndex >= document.sizes.size())
        return box;
    const BannerSizeEntry& size = document.sizes[sizeIndex];
    auto place = size.places.find(element.id);
    if (place != size.places.end())
        return place->second;
    const double sx = static_cast<double>(size.width) / document.sizes[0].width;
    const double sy = static_cast<double>(size.height) / document.sizes[0].height;
    box.x *= sx;
    box.width = std::max(1.0, box.width * sx);
    box.y *= sy;
    box.height = std::max(1.0, box.height * sy);
    box.fontSize = std::clamp(static_cast<int>(std::lround(element.size * std::min(sx, sy))),
                              kMinFont, kMaxFont);
    return box;
}

ElementState StateAt(const BannerElement& element, const ElementBox& box, int bannerWidth,
                     int bannerHeight, double time) {
    ElementState state;
    const ElementAnimation& enter = element.enter;
    if (enter.type != "none") {
        if (time < enter.delay)
            return {false, 0, 0, 0, 1};
        Apply(enter, Progress(enter, time), box, bannerWidth, bannerHeight, state);
    }
    if (element.exit && time >= element.exit->delay) {
        if (time >= static_cast<double>(element.exit->delay) + element.exit->duration)
            return {false, 0, 0, 0, 1};
        if (element.exit->type != "none") {
            // The exit works on what the entrance left, towards its own side.
            ElementState away;
            Apply(*element.exit, 1 - Progress(*element.exit, time), box, bannerWidth, bannerHeight,
                  away);
            state.alpha *= away.alpha;
            state.scale *= away.scale;
            state.dx += away.dx;
            state.dy += away.dy;
        }
    }
    if (state.alpha <= 0 || state.scale <= 0)
        state.visible = false;
    return state;
}

double FinalTime(const BannerDocument& document) {
    return document.length;
}

} // namespace pennoria
